#!/usr/bin/env bash
# Judges a guest by what it printed: a summary of it must equal EXPECTED.
# The summary holds portdump-list's output as root and as nobody (sg numbers,
# which follow the probe order, as sgN), and for each run the ports portdump
# printed and the decoder's report without the lines QEMU's version decides:
# each block's header, model and serial, each failure and its meaning, every
# error. The models and serials are the ones the .guest file's QEMU command
# line sets.
# usage: check_guest.sh GUEST WORK EXPECTED
set -euo pipefail
guest=$1 work=$2 expected=$3
source "$guest"
[ -f "$work/transcript.txt" ] || { echo "the guest did not run"; exit 1; }
summary() {
  for who in root nobody; do
    echo "portdump-list as $who"
    sed -E 's/sg[0-9]+/sgN/' "$work/list-$who.out"
  done
  for run in "${runs[@]}"; do
    echo "portdump $run"
    grep -a '^Port ' "$work/$run.out" || true
    grep -aE '^(==|  Model |  Serial |  Meaning )|^[^ ]' "$work/$run.txt" | sed -E 's/, checksum [a-z]+$//' || true
  done
}
diff -u "$expected" <(summary) || { echo "the guest's output (left: expected) differs"; exit 1; }
cat "$work/seconds.txt"
