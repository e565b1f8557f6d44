#!/usr/bin/env bash
# portdump-decode.exe under Wine: it reads the real exe's output through a
# pipe (CR LF) as the native build reads it, and what Windows users hand it.
source "$(dirname "$0")/wine_harness.sh"
decoder=$DECODE_EXE
work_in portdump-decode
check_version "$decoder" portdump-decode
end_unless_exes_run

# portdump.exe 0 | portdump-decode.exe --json: the native build's document for
# the same text, but for the CR before each line feed.
cases=$((cases + 1))
$wine "$PORTDUMP_EXE" 0 | $wine "$decoder" --json >"$work/decoded.json" 2>"$work/decoded.err"
decode_status=$?
[ $decode_status -eq 0 ] || fail "decode: exit status $decode_status: $(head -c 200 "$work/decoded.err")"
tr -d '\r' <"$work/decoded.json" | cmp -s "$DECODE_GOLDEN_DIR/wine_scsi0.json" - ||
  fail "decode: the JSON differs from wine_scsi0.json"

# The metrics a collector reads: LF line ends only, as the format wants, and
# the same lines as from the JSON's blocks.
cases=$((cases + 1))
$wine "$PORTDUMP_EXE" 0 | $wine "$decoder" --prometheus >"$work/decoded.prom" 2>"$work/decoded.err"
! grep -q $'\r' "$work/decoded.prom" || fail "decode: the metrics have CR line ends"
[ "$(grep -c '^portdump_drive_info{' "$work/decoded.prom")" -eq "$(grep -o '"kind": "identify"' "$work/decoded.json" | wc -l)" ] ||
  fail "decode: the metrics lack a drive: $(head -c 300 "$work/decoded.prom")"

# portdump-decode.exe on what Windows users hand it. On standard input a 0x1A
# byte (the end of a text-mode read) costs its line only; an offset past 31
# bits and line numbers past 2^31 stay right where long has 32 bits.
cases=$((cases + 1))
{ printf 'x\032y\n'; cat "$golden/scsi0.out"; printf 'fffffff0: 00\n'; } >"$work/binary.txt"
$wine "$decoder" <"$work/binary.txt" >"$work/binary.out" 2>"$work/binary.err"
[ "$(tr -d '\r' <"$work/binary.err")" = "portdump-decode: -:1: not a line of portdump's output
portdump-decode: -:104: offset fffffff0 is not a line of a 512-byte block" ] ||
  fail "decode: standard input: $(head -c 300 "$work/binary.err")"
[ "$(grep -c '^== -, port' "$work/binary.out")" -eq 3 ] || fail "decode: standard input: blocks lost after a 0x1A byte"
cases=$((cases + 1))
{ yes '' | head -c 2147483650; echo x; } | $wine "$decoder" >/dev/null 2>"$work/lines.err"
[ "$(tr -d '\r' <"$work/lines.err")" = "portdump-decode: -:2147483651: not a line of portdump's output" ] ||
  fail "decode: line numbers past 2^31: $(head -c 200 "$work/lines.err")"
# A file name in the ANSI code page (é and € in Windows-1252) comes out in
# the JSON as UTF-8.
cases=$((cases + 1))
cp "$golden/scsi0.out" "$work/café€.txt"
(cd "$work" && $wine "$decoder" --json 'café€.txt') >"$work/named.json"
grep -qF '{"source": "café€.txt", "port": 0' "$work/named.json" ||
  fail "decode: a non-ASCII file name: $(grep -o '"source": "[^"]*"' "$work/named.json" | head -1)"
# File names outside the ANSI code page: the file named is opened, never a
# best-fit look-alike (on 1252 Ω fits O), the JSON names it in UTF-8, and the
# text as the console's code page can show it, else as \uXXXX; on 932 too
# (Wine takes it from a Japanese locale, built here), where é is none.
cp "$golden/scsi0.out" "$work/Ω-omega.txt"
cp "$golden/scsi0.out" "$work/ダンプ.txt"
cp "$golden/scsi0.out" "$work/données.txt"
printf 'not the file named\n' >"$work/O-omega.txt"
# wide_case NAME SHOWN [ENVIRONMENT...]
wide_case() {
  local name=$1 shown=$2
  shift 2
  cases=$((cases + 1))
  (cd "$work" && env "$@" $wine "$decoder" --json "$name") >"$work/wide.json" 2>"$work/wide.err"
  grep -qF "{\"source\": \"$name\", \"port\": 0" "$work/wide.json" && [ ! -s "$work/wide.err" ] ||
    fail "decode: file name $name $*: $(head -c 200 "$work/wide.err")"
  (cd "$work" && env "$@" $wine "$decoder" "$name") >"$work/wide.txt" 2>&1
  grep -qF "== $shown, port 0 (line 2): IDENTIFY DEVICE" "$work/wide.txt" ||
    fail "decode: file name $name $*, shown as: $(head -c 100 "$work/wide.txt")"
}
wide_case 'Ω-omega.txt' '\u03a9-omega.txt'
wide_case 'ダンプ.txt' '\u30c0\u30f3\u30d7.txt'
mkdir -p "$work/locales"
if localedef -i ja_JP -f UTF-8 "$work/locales/ja_JP.UTF-8" 2>/dev/null || [ -d "$work/locales/ja_JP.UTF-8" ]; then
  wide_case 'données.txt' 'donn\u00e9es.txt' LOCPATH="$work/locales" LC_ALL=ja_JP.UTF-8
else
  fail "decode: no Japanese locale for code page 932 (localedef -i ja_JP needs the locales package)"
fi
# A full disk is a failure, said on stderr.
cases=$((cases + 1))
$wine "$decoder" --json <"$golden/scsi0.out" >/dev/full 2>"$work/full.err"
decode_status=$?
[ $decode_status -eq 1 ] && grep -qF 'cannot write the report to standard output' "$work/full.err" ||
  fail "decode: full disk: exit status $decode_status, stderr: $(head -c 200 "$work/full.err")"
finish
