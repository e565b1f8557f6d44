#!/usr/bin/env bash
# Builds the release zip with CPack in BUILD_DIR and checks what is in it.
# usage: check_package.sh CMAKE CPACK BUILD_DIR PACKAGE
set -euo pipefail
cmake=$1 cpack=$2 build=$3 package=$4
(cd "$build" && "$cpack" -G ZIP)
entries=$("$cmake" -E tar tf "$build/$package.zip" | tr -d '\r' | LC_ALL=C sort)
expected=$(printf "$package/%s\n" LICENSE README.md portdump-decode.exe portdump-list.exe portdump.exe)
[ "$entries" = "$expected" ] || { echo "$package.zip holds:"; echo "$entries"; echo "not:"; echo "$expected"; exit 1; }
echo "$package.zip: $(stat -c %s "$build/$package.zip") bytes"
