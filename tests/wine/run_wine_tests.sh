#!/usr/bin/env bash
# The real portdump.exe under Wine against the stand-in driver: stdout byte for
# byte against golden files, exit status 0, empty stderr, the calls' flags from
# Wine's own traces, and the version resource and manifest as Windows reads them.
# usage: run_wine_tests.sh PORTDUMP_EXE DRIVER_SYS DRIVER_HOST_EXE GOLDEN_DIR ARCH WORK_DIR VERSION_PROBE_EXE VERSION
set -uo pipefail
exe=$1 driver=$2 host=$3 golden=$4 arch=$5 work=$6 probe=$7 version=$8
# Under ./test-all a missing Wine is a failure, not a skip.
skip=77
[ -n "${PORTDUMP_TESTS_REQUIRED:-}" ] && skip=1

if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null || [ ! -x /usr/lib/wine/wine64 ]; then
  echo "skipped: Wine is missing; install wine and wine64 (apt-get install wine wine64)"
  exit $skip
fi
if [ "$arch" != x86_64 ] && [ ! -x /usr/lib/wine/wine ]; then
  echo "skipped: 32-bit Wine is missing; install it (dpkg --add-architecture i386 && apt-get update && apt-get install wine32:i386)"
  exit $skip
fi

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$work" && mkdir -p "$WINEPREFIX"
failures=0
cases=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# One server for the whole run: the driver lives as long as it does.
wineserver -p || { echo "wineserver did not start"; exit 1; }
trap 'wine "$host" unload >/dev/null 2>&1; wineserver -k' EXIT
wineboot -i >/dev/null 2>&1
if ! wine "$host" load "$(winepath -w "$driver")"; then
  echo "the stand-in driver did not load"
  exit 1
fi

# run_case NAME GOLDEN [ARGUMENTS...]: stdout must equal GOLDEN.
run_case() {
  local name=$1 file=$2
  shift 2
  cases=$((cases + 1))
  wine "$exe" "$@" >"$work/$name.out" 2>"$work/$name.err"
  local status=$?
  [ $status -eq 0 ] || fail "$name: exit status $status"
  [ -s "$work/$name.err" ] && fail "$name: stderr: $(head -c 200 "$work/$name.err")"
  cmp -s "$golden/$file" "$work/$name.out" || { fail "$name: stdout differs from $file"; cmp "$golden/$file" "$work/$name.out"; }
}

run_case no_argument usage.out
run_case two_arguments usage.out 0 5
run_case scsi_port scsi0.out 0
run_case every_port_fails empty.out 5
run_case missing_port scsi9_missing.out 9
run_case minus_one scsi-1_missing.out -1
run_case letters scsi0.out abc
run_case hexadecimal scsi0.out 0x10
run_case leading_blanks scsi9_missing.out "  9"
run_case trailing_letters scsi9_missing.out 9abc

# The open's access and share flags, from Wine's CreateFileW trace.
WINEDEBUG=+file wine "$exe" 0 2>"$work/file.trace" >/dev/null
grep -qF 'CreateFileW L"\\\\.\\Scsi0:" GENERIC_READ GENERIC_WRITE FILE_SHARE_READ FILE_SHARE_WRITE  creation 3 attributes 0x0' \
  "$work/file.trace" || fail "open of Scsi0: not made with read/write access and read/write sharing"

# The version resource carries the project's version; the manifest asks for
# no elevation and names every Windows from Vista to 11.
cases=$((cases + 1))
wine "$probe" "$(winepath -w "$exe")" | tr -d '\r' >"$work/version.txt"
for line in "Fixed=$version.0" "FileVersion=$version" "ProductVersion=$version" "ProductName=portdump" \
            "OriginalFilename=portdump.exe" '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'; do
  grep -qF -- "$line" "$work/version.txt" || fail "version resource or manifest lacks: $line"
done
for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  grep -qF "<supportedOS Id=\"{$os}\"/>" "$work/version.txt" || fail "manifest lacks supportedOS $os"
done
grep -qF "LegalCopyright=Copyright" "$work/version.txt" || fail "no copyright in the version resource"

# Wine 8 overflows its buffer for DOS device names longer than 2 characters:
# on x64 the define "succeeds" with a garbled name and the open fails, on x86
# the process crashes inside the call. So the temporary-name route is checked
# here only for the calls made, and only on x64.
if [ "$arch" = x86_64 ]; then
  # route_case NAME NUMBER DOS_NAME TARGET
  route_case() {
    local name=$1 number=$2 dos=$3 target=$4
    cases=$((cases + 1))
    WINEDEBUG=+volume wine "$exe" "$number" >"$work/$name.out" 2>"$work/$name.trace"
    local status=$?
    [ $status -eq 0 ] || fail "$name: exit status $status"
    cmp -s "$golden/${dos}_open_failed.out" "$work/$name.out" || fail "$name: stdout differs from ${dos}_open_failed.out"
    local calls
    calls=$(grep -o 'DefineDosDeviceW .*' "$work/$name.trace")
    local wanted="DefineDosDeviceW 0x1, L\"$dos\", L\"$target\"
DefineDosDeviceW 0x2, L\"$dos\", (null)"
    [ "$calls" = "$wanted" ] || fail "$name: define and remove calls were: $calls"
  }
  route_case alias_3512 3512 tempBusSil3112 '\\Device\\Scsi\\SI31121'
  route_case sil_3112 3112 tempBusSil3112 '\\Device\\Scsi\\SI31121'
  route_case sil_100 100 tempBusSil100 '\\Device\\Scsi\\SI1001'
fi

echo "$cases Wine cases on $arch, $failures failed"
[ $failures -eq 0 ]
