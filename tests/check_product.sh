#!/usr/bin/env bash
# The product holds no test-only machinery: not the emulated machine's test
# double (its machine, faults, delays, console and call log, all of
# tests/emulated/emulated_machine.h), not the link-time wrappers that reach
# it. Given SIZE, it also has no large zeroed tables: the DOS name table (16
# definitions of two 260-byte names) is the largest.
# usage: check_product.sh NM PROGRAM [SIZE]
set -euo pipefail
nm=$1 program=$2 size=${3:-}
symbols=$("$nm" -C "$program")
double='kTestMachine|kEmptyTestMachine|TestMachine|BootMachine|AddScsiPort|AddSiliconImage|AttachDisk|SetPortAnswer'
double+='|InjectFault|DelayPortRequest|RaiseControlEvent|ControlEventEndedProcess|CallCount|CallAt|CallRecord'
double+='|DefinitionCount|OpenHandleCount'
carried=$(grep -oE "emulated::($double)\w*|__wrap_\w+|__real_\w+" <<<"$symbols" | sort -u) &&
  { echo "$program carries the test-only:" $carried; exit 1; }
if [ -n "$size" ]; then
  bss=$("$size" "$program" | awk 'NR == 2 { print $3 }')
  [ "$bss" -le 16384 ] || { echo "$program has $bss bytes of zeroed tables"; exit 1; }
  echo "$program: $bss bytes of bss"
fi
echo "$program: no test control"
