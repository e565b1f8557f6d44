#!/usr/bin/env bash
# The tool keeps its buffers on the stack: no query path may allocate more
# heap blocks than printing the usage message does (stdio's own buffer), and
# valgrind may find no error on any path.
# usage: heap_usage_test.sh PORTDUMP
set -uo pipefail
program=$1
report=$(mktemp)
trap 'rm -f "$report"' EXIT

# Prints the allocation count of one run; fails on any valgrind error.
allocations() {
  valgrind --error-exitcode=3 --log-file="$report" "$program" "$@" >/dev/null
  local status=$?
  if [ $status -ne 0 ]; then
    echo "valgrind: exit status $status for: portdump $*" >&2
    cat "$report" >&2
    return 1
  fi
  sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' "$report" | tr -d ,
}

baseline=$(allocations) || exit 1
[ -n "$baseline" ] || { echo "valgrind gave no count for the usage path"; exit 1; }
echo "usage path: $baseline allocations"
status=0
# SCSI route, temporary-name route, alias, failed opens on both routes.
for argument in 0 3114 3512 31 100 -1; do
  count=$(allocations "$argument") || { status=1; continue; }
  echo "portdump $argument: ${count:-?} allocations"
  if [ -z "$count" ] || [ "$count" -gt "$baseline" ]; then
    status=1
  fi
done
exit $status
