#!/usr/bin/env bash
# The real portdump.exe under Wine against the stand-in driver: stdout byte for
# byte against golden files, exit status 0, empty stderr, the calls' flags from
# Wine's own traces, one console write a line at a terminal, the temporary name
# removed on Ctrl+C, and the version resource and manifest as Windows reads them.
# portdump-decode.exe reads the real exe's output through a pipe (CR LF) as the
# native build reads it. portdump-list.exe lists the stand-in driver's devices
# with the device map entries this script writes.
# usage: run_wine_tests.sh PORTDUMP_EXE DRIVER_SYS DRIVER_HOST_EXE GOLDEN_DIR ARCH WORK_DIR VERSION_PROBE_EXE VERSION
#                          DECODE_EXE DECODE_GOLDEN_DIR LIST_EXE DEVICEMAP_KEY_EXE
set -uo pipefail
exe=$1 driver=$2 host=$3 golden=$4 arch=$5 work=$6 probe=$7 version=$8 decoder=$9 decode_golden=${10}
lister=${11} devicemap_key=${12}
# Under ./test-all a missing Wine is a failure, not a skip.
skip=77
[ -n "${PORTDUMP_TESTS_REQUIRED:-}" ] && skip=1

# The loaders are called directly: Debian's wine script picks the 32-bit one
# whenever 32-bit Wine is installed, also on hosts that cannot run it. The
# stand-in driver's helpers are 64-bit, so they always run under wine64.
wine64=/usr/lib/wine/wine64
if ! command -v wineserver >/dev/null || [ ! -x $wine64 ]; then
  echo "skipped: Wine is missing; install wine and wine64 (apt-get install wine wine64)"
  exit $skip
fi
wine=$wine64
runs_exe=yes
if [ "$arch" != x86_64 ]; then
  wine=/usr/lib/wine/wine
  if ! bash "$(dirname "$0")/host_runs_32bit.sh"; then
    runs_exe=no why="this host cannot execute 32-bit x86 programs (32-bit Wine cannot start)"
  elif [ ! -x $wine ] && [ -n "${PORTDUMP_X86_RUNS_UNAVAILABLE:-}" ]; then
    # ./test-all could not install it and has said why.
    runs_exe=no why=$PORTDUMP_X86_RUNS_UNAVAILABLE
  elif [ ! -x $wine ]; then
    echo "skipped: 32-bit Wine is missing; install it (dpkg --add-architecture i386 && apt-get update && apt-get install wine32:i386)"
    exit $skip
  fi
fi

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$work" && mkdir -p "$WINEPREFIX"
failures=0
cases=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The driver lives as long as the wineserver: one server with the driver
# loaded serves many runs.
start_server() {
  wineserver -k 2>/dev/null
  wineserver -w
  wineserver -p || { echo "wineserver did not start"; exit 1; }
  $wine64 "$host" load "$($wine64 winepath -w "$driver")" || { echo "the stand-in driver did not load"; exit 1; }
}
trap '$wine64 "$host" unload >/dev/null 2>&1; wineserver -k' EXIT
wineserver -p && $wine64 wineboot -i >/dev/null 2>&1

# The version resource carries the project's version; the manifest asks for
# no elevation and names every Windows from Vista to 11.
# check_version EXE NAME
check_version() {
  local program=$1 name=$2
  cases=$((cases + 1))
  $wine64 "$probe" "$($wine64 winepath -w "$program")" | tr -d '\r' >"$work/$name.version"
  for line in "Fixed=$version.0" "FileVersion=$version" "ProductVersion=$version" "ProductName=portdump" \
              "OriginalFilename=$name.exe" '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'; do
    grep -qF -- "$line" "$work/$name.version" || fail "$name: version resource or manifest lacks: $line"
  done
  for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
            4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
            8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -qF "<supportedOS Id=\"{$os}\"/>" "$work/$name.version" || fail "$name: manifest lacks supportedOS $os"
  done
  grep -qF "LegalCopyright=Copyright" "$work/$name.version" || fail "$name: no copyright in the version resource"
}
check_version "$exe" portdump
check_version "$decoder" portdump-decode
check_version "$lister" portdump-list

if [ $runs_exe = no ]; then
  echo "windows-x86: $why; the x86 exes' runs under Wine were not run;" \
       "checked without running them: size, imports, NT 5.0, version resource, zip"
  echo "$cases Wine cases on $arch, $failures failed"
  [ $failures -eq 0 ]
  exit
fi

start_server

# check_run NAME GOLDEN STATUS: the run's stdout must equal GOLDEN.
check_run() {
  local name=$1 file=$2 status=$3
  cases=$((cases + 1))
  [ "$status" -eq 0 ] || fail "$name: exit status $status"
  cmp -s "$golden/$file" "$work/$name.out" || { fail "$name: stdout differs from $file"; cmp "$golden/$file" "$work/$name.out"; }
}

# run_case NAME GOLDEN [ARGUMENTS...]: also nothing on stderr.
run_case() {
  local name=$1 file=$2
  shift 2
  $wine "$exe" "$@" >"$work/$name.out" 2>"$work/$name.err"
  check_run "$name" "$file" $?
  [ -s "$work/$name.err" ] && fail "$name: stderr: $(head -c 200 "$work/$name.err")"
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

# portdump-list.exe: the stand-in's SCSI ports 0 and 5 and its SiliconImage
# devices, with the driver's name where the device map has one; the map's
# port 3 has no DOS name, so no line. Nothing is opened.
for entry in "0 atapi" "3 ghost"; do
  # shellcheck disable=SC2086 # port and driver
  $wine64 "$devicemap_key" $entry || fail "devicemap_key $entry"
done
WINEDEBUG=+file $wine "$lister" >"$work/list.out" 2>"$work/list.trace"
check_run list list.out $?
grep -E 'CreateFileW L"[^"]*(Scsi|tempBusSil)' "$work/list.trace" && fail "list: a device was opened"
grep '^portdump-list:' "$work/list.trace" && fail "list: could not read everything"
cases=$((cases + 1))
$wine "$lister" extra >/dev/null 2>"$work/list_usage.err"
list_status=$?
[ $list_status -eq 2 ] && grep -qF 'usage: portdump-list' "$work/list_usage.err" ||
  fail "list: an argument gave exit status $list_status"

# The open's access and share flags, from Wine's CreateFileW trace.
WINEDEBUG=+file $wine "$exe" 0 2>"$work/file.trace" >/dev/null
grep -qF 'CreateFileW L"\\\\.\\Scsi0:" GENERIC_READ GENERIC_WRITE FILE_SHARE_READ FILE_SHARE_WRITE  creation 3 attributes 0x0' \
  "$work/file.trace" || fail "open of Scsi0: not made with read/write access and read/write sharing"

# At a terminal stdout is a console and unbuffered: each line must still reach
# it in one write. Counted from the relay trace, on the program's main thread
# (the one that asks msvcrt for the arguments).
# console_case NAME GOLDEN [ARGUMENTS...]
console_case() {
  local name=$1 file=$2
  shift 2
  cases=$((cases + 1))
  local trace=$work/$name.relay
  WINEDEBUG=+relay script -qfec "$wine $exe $* 2>$trace" /dev/null >/dev/null
  local thread writes lines
  thread=$(grep -m1 -oE '^[0-9a-f]+:Call msvcrt\.__getmainargs' "$trace" | cut -d: -f1)
  writes=$(grep -cE "^${thread:-none}:Call KERNEL32\.(WriteFile|WriteConsoleA|WriteConsoleW)\(" "$trace")
  lines=$(wc -l <"$golden/$file")
  echo "$name at a terminal: $writes console writes for $lines lines"
  [ -n "$thread" ] && [ "$writes" -gt 0 ] && [ "$writes" -le "$lines" ] ||
    fail "$name: $writes console writes for $lines lines"
  rm -f "$trace"
}
console_case console_usage usage.out
console_case console_open_failed scsi9_missing.out 9
console_case console_ports scsi0.out 0

# portdump.exe 0 | portdump-decode.exe --json: the native build's document for
# the same text, but for the CR before each line feed.
cases=$((cases + 1))
$wine "$exe" 0 | $wine "$decoder" --json >"$work/decoded.json" 2>"$work/decoded.err"
decode_status=$?
[ $decode_status -eq 0 ] || fail "decode: exit status $decode_status: $(head -c 200 "$work/decoded.err")"
tr -d '\r' <"$work/decoded.json" | cmp -s "$decode_golden/wine_scsi0.json" - ||
  fail "decode: the JSON differs from wine_scsi0.json"

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

# The temporary-name route. Wine 8's DefineDosDeviceW overflows its buffer for
# names longer than two characters: on x64 it returns success but what it
# defines and removes depends on stack garbage, and what one run leaves
# behind breaks the next run's define (error 183); so each case here gets a
# fresh wineserver. The stand-in driver links the tempBusSil names itself, so
# the open reaches it. 32-bit Wine 8 does not return from DefineDosDeviceW
# with such names at all, so on x86 this route is not run.
if [ "$arch" = x86_64 ]; then
  # define_calls TRACE: the define and remove calls of a +volume trace.
  define_calls() { grep -o 'DefineDosDeviceW .*' "$1"; }
  # guard_calls TRACE: the tool's own control handler (its address lies in
  # the exe's image, based at 0x140000000; msvcrt installs one too) and the
  # defines, in order, from a +console,+volume trace.
  guard_calls() { grep -o -E 'SetConsoleCtrlHandler \(0*14[0-9a-f]{7},1\)|DefineDosDeviceW 0x1' "$1" | cut -c1-21; }
  # route_case NAME GOLDEN NUMBER DOS_NAME TARGET
  route_case() {
    local name=$1 file=$2 number=$3 dos=$4 target=$5
    start_server
    WINEDEBUG=+volume,+console $wine "$exe" "$number" >"$work/$name.out" 2>"$work/$name.trace"
    check_run "$name" "$file" $?
    local wanted="DefineDosDeviceW 0x1, L\"$dos\", L\"$target\"
DefineDosDeviceW 0x2, L\"$dos\", (null)"
    [ "$(define_calls "$work/$name.trace")" = "$wanted" ] ||
      fail "$name: define and remove calls were: $(define_calls "$work/$name.trace")"
    # A Ctrl+C at any instant finds the handler that removes the name.
    [ "$(guard_calls "$work/$name.trace" | tr '\n' ' ')" = "SetConsoleCtrlHandler DefineDosDeviceW 0x1 " ] ||
      fail "$name: the control handler was not installed before the define: $(guard_calls "$work/$name.trace")"
  }
  route_case alias_3512 tempBusSil3112.out 3512 tempBusSil3112 '\\Device\\Scsi\\SI31121'
  route_case sil_3112 tempBusSil3112.out 3112 tempBusSil3112 '\\Device\\Scsi\\SI31121'
  route_case sil_3114 tempBusSil3114.out 3114 tempBusSil3114 '\\Device\\Scsi\\SI31141'
  route_case sil_100 tempBusSil100_open_failed.out 100 tempBusSil100 '\\Device\\Scsi\\SI1001'

  # Ctrl+C while port 0 of the SiliconImage 3132 keeps the tool waiting: the
  # name is removed, once, and the process ends before the port answers.
  cases=$((cases + 1))
  start_server
  started=$SECONDS
  WINEDEBUG=+volume $wine "$exe" 3132 >"$work/ctrl_c.out" 2>"$work/ctrl_c.trace" &
  tool=$!
  for _ in $(seq 100); do
    grep -q 'DefineDosDeviceW 0x1' "$work/ctrl_c.trace" && break
    sleep 0.1
  done
  sleep 1
  # The tool's process, of this prefix: a Windows process is named after its exe.
  for pid in $(pgrep -x portdump.exe); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && kill -INT "$pid"
  done
  wait $tool
  elapsed=$((SECONDS - started))
  wanted='DefineDosDeviceW 0x1, L"tempBusSil3132", L"\\Device\\Scsi\\SI31321"
DefineDosDeviceW 0x2, L"tempBusSil3132", (null)'
  [ "$(define_calls "$work/ctrl_c.trace")" = "$wanted" ] ||
    fail "ctrl_c: define and remove calls were: $(define_calls "$work/ctrl_c.trace")"
  [ -s "$work/ctrl_c.out" ] && fail "ctrl_c: the slow port answered before the interrupt"
  [ $elapsed -lt 4 ] || fail "ctrl_c: the process took ${elapsed}s, it did not end on the interrupt"
fi

echo "$cases Wine cases on $arch, $failures failed"
[ $failures -eq 0 ]
