#!/usr/bin/env bash
# Exits 0 when this host executes 32-bit x86 programs, 1 when it does not.
# Some x86-64 kernels cannot ("Exec format error"), and then neither can
# 32-bit Wine; so this tries a real one rather than guessing from the kernel.
# The program is a 96-byte static i386 ELF that only calls exit(42).
set -u
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
elf=(
  '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'   # 32-bit, little-endian, version 1
  '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'           # executable, i386, entry 0x08048054
  '\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'           # program headers at 52, no sections
  '\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'           # header sizes, one program header
  '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' # PT_LOAD of the file at 0x08048000
  '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' # 96 bytes, read and execute
  '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'           # mov eax,1 (exit); mov ebx,42; int 0x80
)
printf '%b' "${elf[@]}" >"$dir/exit42" && chmod +x "$dir/exit42" || exit 1
"$dir/exit42" 2>/dev/null
[ $? -eq 42 ]
