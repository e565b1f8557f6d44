# What the Wine tests share, sourced by each. Their inputs come in the
# environment (tests/wine/CMakeLists.txt sets them): WINE_WORK, WINE_ARCH,
# PORTDUMP_VERSION, GOLDEN_DIR, DECODE_GOLDEN_DIR, the exes PORTDUMP_EXE,
# DECODE_EXE and LIST_EXE, and the helpers STAND_IN_DRIVER, DRIVER_HOST_EXE,
# VERSION_PROBE_EXE and DEVICEMAP_KEY_EXE.
set -uo pipefail
golden=$GOLDEN_DIR
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
if [ "$WINE_ARCH" != x86_64 ]; then
  wine=/usr/lib/wine/wine
  if ! bash "$(dirname "${BASH_SOURCE[0]}")/host_runs_32bit.sh"; then
    runs_exe=no why="this host cannot execute 32-bit x86 programs (32-bit Wine cannot start)"
  elif [ ! -x $wine ] && [ -n "${PORTDUMP_X86_RUNS_UNAVAILABLE:-}" ]; then
    # ./test-all could not install it and has said why.
    runs_exe=no why=$PORTDUMP_X86_RUNS_UNAVAILABLE
  elif [ ! -x $wine ]; then
    echo "skipped: 32-bit Wine is missing; install it (dpkg --add-architecture i386 && apt-get update && apt-get install wine32:i386)"
    exit $skip
  fi
fi

export WINEPREFIX=$WINE_WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
failures=0
cases=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The driver lives as long as the wineserver: one server with the driver
# loaded serves many runs. The server and the services it starts outlive the
# test that starts them, so they must not hold its output open (CTest would
# wait for them): what they say goes to a log.
restart_server() {
  wineserver -k
  wineserver -w
  wineserver -p || { echo "wineserver did not start"; return 1; }
  $wine64 "$DRIVER_HOST_EXE" load "$($wine64 winepath -w "$STAND_IN_DRIVER")" ||
    { echo "the stand-in driver did not load"; return 1; }
}
start_server() {
  restart_server </dev/null >"$WINE_WORK/server.log" 2>&1 || { cat "$WINE_WORK/server.log"; exit 1; }
}

# Each test's files in a folder of its own: work_in NAME.
work_in() {
  work=$WINE_WORK/$1
  rm -rf "$work" && mkdir -p "$work"
}

# The version resource carries the project's version; the manifest asks for
# no elevation and names every Windows from Vista to 11.
# check_version EXE NAME
check_version() {
  local program=$1 name=$2
  cases=$((cases + 1))
  $wine64 "$VERSION_PROBE_EXE" "$($wine64 winepath -w "$program")" | tr -d '\r' >"$work/$name.version"
  for line in "Fixed=$PORTDUMP_VERSION.0" "FileVersion=$PORTDUMP_VERSION" "ProductVersion=$PORTDUMP_VERSION" \
              "ProductName=portdump" "OriginalFilename=$name.exe" \
              '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'; do
    grep -qF -- "$line" "$work/$name.version" || fail "$name: version resource or manifest lacks: $line"
  done
  for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
            4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
            8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -qF "<supportedOS Id=\"{$os}\"/>" "$work/$name.version" || fail "$name: manifest lacks supportedOS $os"
  done
  grep -qF "LegalCopyright=Copyright" "$work/$name.version" || fail "$name: no copyright in the version resource"
}

# Where the exes cannot run here, says so and ends the test after what was
# checked without running them.
end_unless_exes_run() {
  [ $runs_exe = yes ] && return
  echo "windows-x86: $why; the x86 exes' runs under Wine were not run;" \
       "checked without running them: size, imports, NT 5.0, version resource, zip"
  finish
}

# check_run NAME GOLDEN STATUS: the run's stdout must equal GOLDEN.
check_run() {
  local name=$1 file=$2 status=$3
  cases=$((cases + 1))
  [ "$status" -eq 0 ] || fail "$name: exit status $status"
  cmp -s "$golden/$file" "$work/$name.out" || { fail "$name: stdout differs from $file"; cmp "$golden/$file" "$work/$name.out"; }
}

# The test's verdict: finish
finish() {
  echo "$cases Wine cases of $(basename "$0" .sh) on $WINE_ARCH, $failures failed"
  [ $failures -eq 0 ]
  exit
}
