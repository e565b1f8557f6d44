#!/usr/bin/env bash
# portdump-list.exe under Wine: the stand-in's SCSI ports 0 and 5 and its
# SiliconImage devices, with the driver's name where the device map has one;
# the map's port 3 has no DOS name, so no line. Nothing is opened.
source "$(dirname "$0")/wine_harness.sh"
work_in portdump-list
check_version "$LIST_EXE" portdump-list
end_unless_exes_run

for entry in "0 atapi" "3 ghost"; do
  # shellcheck disable=SC2086 # port and driver
  $wine64 "$DEVICEMAP_KEY_EXE" $entry || fail "devicemap_key $entry"
done
WINEDEBUG=+file $wine "$LIST_EXE" >"$work/list.out" 2>"$work/list.trace"
check_run list list.out $?
grep -E 'CreateFileW L"[^"]*(Scsi|tempBusSil)' "$work/list.trace" && fail "list: a device was opened"
grep '^portdump-list:' "$work/list.trace" && fail "list: could not read everything"
cases=$((cases + 1))
$wine "$LIST_EXE" extra >/dev/null 2>"$work/list_usage.err"
list_status=$?
[ $list_status -eq 2 ] && grep -qF 'usage: portdump-list' "$work/list_usage.err" ||
  fail "list: an argument gave exit status $list_status"
finish
