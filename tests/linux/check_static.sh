#!/usr/bin/env bash
# Each PROGRAM is a static executable: no program interpreter, no shared
# libraries.
# usage: check_static.sh READELF PROGRAM...
set -euo pipefail
readelf=$1
shift
for program; do
  headers=$("$readelf" --program-headers --dynamic "$program")
  ! grep -E 'INTERP|NEEDED' <<<"$headers" || { echo "$program is not static"; exit 1; }
  echo "$program: static"
done
