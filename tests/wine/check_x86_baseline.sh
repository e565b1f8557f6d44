#!/usr/bin/env bash
# The x86 exes hold nothing beyond the -march of cmake/mingw-x86.cmake:
# CMOV and FCOMI are allowed, nothing newer. Fails on any
# MMX, SSE or AVX register and on the newer instructions that use none.
# TZCNT is allowed: its encoding is REP BSF, which a CPU without BMI1 runs
# as BSF, and GCC emits it only for an operand that is not zero, where the
# two agree. There is no CPUID-gated code in the exes; any added later would
# have to be listed here with why it is safe.
# usage: check_x86_baseline.sh OBJDUMP EXE...
set -uo pipefail
objdump=$1
shift
registers='%[xyz]?mm[0-9]|%k[0-7]'
mnemonics='(lfence|mfence|sfence|clflush|prefetch[a-z0-9]*|movnti|[ls]dmxcsr|fisttp[a-z]*|popcnt|lzcnt|'
mnemonics+='movbe|crc32[a-z]*|rdtscp|xgetbv|xsave[a-z]*|xrstor[a-z]*|andn|bextr|blsi|blsmsk|blsr|bzhi|'
mnemonics+='pdep|pext|rorx|sarx|shlx|shrx|mulx|adcx|adox|rdrand|rdseed|cmpxchg16b|fxsave|fxrstor|emms)'
status=0
for exe in "$@"; do
  disassembly=$("$objdump" -d --no-show-raw-insn "$exe") || { echo "$objdump -d $exe failed"; exit 1; }
  found=$(grep -E "$registers|^ +[0-9a-f]+:[[:space:]]+$mnemonics( |\$)" <<<"$disassembly")
  if [ -n "$found" ]; then
    echo "$exe: $(wc -l <<<"$found") instructions beyond a P6-class CPU, the first:"
    head -5 <<<"$found"
    status=1
  fi
done
exit $status
