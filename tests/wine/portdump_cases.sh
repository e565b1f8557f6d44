#!/usr/bin/env bash
# The real portdump.exe under Wine against the stand-in driver: stdout byte for
# byte against golden files, exit status 0, empty stderr, the calls' flags from
# Wine's own traces, one console write a line at a terminal, the temporary name
# removed on Ctrl+C, and the version resource and manifest as Windows reads them.
source "$(dirname "$0")/wine_harness.sh"
exe=$PORTDUMP_EXE
work_in portdump
check_version "$exe" portdump
end_unless_exes_run

# run_case NAME GOLDEN [ARGUMENTS...]: also nothing on stderr but the file
# channel's trace, where a case asks Wine for it.
run_case() {
  local name=$1 file=$2
  shift 2
  $wine "$exe" "$@" >"$work/$name.out" 2>"$work/$name.err"
  check_run "$name" "$file" $?
  local said
  said=$(grep -vE '^[0-9a-f]+:[a-z]+:file:' "$work/$name.err" | head -c 200)
  [ -n "$said" ] && fail "$name: stderr: $said"
}

run_case no_argument usage.out
run_case two_arguments usage.out 0 5
run_case scsi_port scsi0.out 0
# Its golden is empty, like the output of a Wine that never reached the
# tool's main: the trace must show the tool's open of the port. Wine's own
# start-up failures end with status 1 and say why only on its err channel,
# so that stays on.
WINEDEBUG=-all,+file,err+all run_case every_port_fails empty.out 5
grep -qF 'CreateFileW L"\\\\.\\Scsi5:"' "$work/every_port_fails.err" ||
  fail "every_port_fails: Wine's trace shows no open of Scsi5:, the tool's main did not run"
run_case missing_port scsi9_missing.out 9
run_case minus_one scsi-1_missing.out -1
run_case letters scsi0.out abc
run_case hexadecimal scsi0.out 0x10
run_case leading_blanks scsi9_missing.out "  9"
run_case trailing_letters scsi9_missing.out 9abc

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

# The temporary-name route. Wine 8's DefineDosDeviceW overflows its buffer for
# names longer than two characters: on x64 it returns success but what it
# defines and removes depends on stack garbage, and what one run leaves
# behind breaks the next run's define (error 183); so each case here gets a
# fresh wineserver. The stand-in driver links the tempBusSil names itself, so
# the open reaches it. 32-bit Wine 8 does not return from DefineDosDeviceW
# with such names at all, so on x86 this route is not run.
[ "$WINE_ARCH" = x86_64 ] || finish
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
finish
