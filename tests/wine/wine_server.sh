#!/usr/bin/env bash
# The Wine tests' fixture: start makes a fresh prefix and leaves a wineserver
# running with the stand-in driver loaded; stop unloads it and ends the server.
# usage: wine_server.sh start|stop
source "$(dirname "$0")/wine_harness.sh"
case ${1:-} in
  start)
    rm -rf "$WINE_WORK" && mkdir -p "$WINEPREFIX"
    { wineserver -p && $wine64 wineboot -i; } </dev/null >/dev/null 2>&1
    # After the boot its services can keep the service database locked for a
    # long time: a fresh server loads the driver sooner.
    start_server ;;
  stop)
    $wine64 "$DRIVER_HOST_EXE" unload
    # Gone before the next start removes its prefix.
    wineserver -k && wineserver -w ;;
  *)
    echo "usage: wine_server.sh start|stop"
    exit 2 ;;
esac
