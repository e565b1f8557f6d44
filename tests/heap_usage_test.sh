#!/usr/bin/env bash
# The tool keeps its buffers on the stack: no query path may allocate more
# heap blocks than printing the usage message does (stdio's own buffer).
# usage: heap_usage_test.sh PORTDUMP
set -uo pipefail
program=$1

allocations() {
  valgrind --error-exitcode=3 "$program" "$@" 2>&1 >/dev/null |
    sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' | tr -d ,
}

baseline=$(allocations)
[ -n "$baseline" ] || { echo "valgrind gave no count for the usage path"; exit 1; }
echo "usage path: $baseline allocations"
status=0
# SCSI route, temporary-name route, alias, failed opens on both routes.
for argument in 0 3114 3512 31 100 -1; do
  count=$(allocations "$argument")
  echo "portdump $argument: ${count:-?} allocations"
  if [ -z "$count" ] || [ "$count" -gt "$baseline" ]; then
    status=1
  fi
done
exit $status
