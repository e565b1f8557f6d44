#!/usr/bin/env bash
# The product holds no test-only machinery: not the emulated machine's call
# log, fault injection and machine description, not the link-time wrappers
# that reach them, not a system root the tests could point elsewhere. Given
# SIZE, it also has no large zeroed tables: the DOS name table (16
# definitions of two 260-byte names) is the largest.
# usage: check_product.sh NM PROGRAM [SIZE]
set -euo pipefail
nm=$1 program=$2 size=${3:-}
symbols=$("$nm" -C "$program")
carried=$(grep -oE 'emulated::(BootMachine|InjectFault|CallAt|CallCount|kTestMachine|AddSiliconImage|SetPortAnswer|RaiseControlEvent|DefinitionCount|OpenHandleCount|CallRecord)|__wrap_|__real_|theSystemRoots' \
          <<<"$symbols" | sort -u) && { echo "$program carries the test-only:" $carried; exit 1; }
if [ -n "$size" ]; then
  bss=$("$size" "$program" | awk 'NR == 2 { print $3 }')
  [ "$bss" -le 16384 ] || { echo "$program has $bss bytes of zeroed tables"; exit 1; }
  echo "$program: $bss bytes of bss"
fi
echo "$program: no test control"
