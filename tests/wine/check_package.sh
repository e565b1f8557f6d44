#!/usr/bin/env bash
# Builds the release zip with CPack in BUILD_DIR and checks what is in it:
# the exes, the README and LICENSE, and each manual as CRLF text.
# usage: check_package.sh CMAKE CPACK BUILD_DIR PACKAGE
set -euo pipefail
cmake=$1 cpack=$2 build=$3 package=$4
(cd "$build" && "$cpack" -G ZIP)
entries=$("$cmake" -E tar tf "$build/$package.zip" | tr -d '\r' | LC_ALL=C sort)
expected=$(printf "$package/%s\n" LICENSE README.md portdump-decode.exe portdump-decode.txt portdump-list.exe \
                                  portdump-list.txt portdump.exe portdump.txt)
[ "$entries" = "$expected" ] || { echo "$package.zip holds:"; echo "$entries"; echo "not:"; echo "$expected"; exit 1; }
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
(cd "$work" && "$cmake" -E tar xf "$build/$package.zip")
for manual in "$work/$package"/*.txt; do
  grep -q 'NAME' "$manual" || { echo "$manual is no rendered manual"; exit 1; }
  ! grep -qv $'\r$' "$manual" || { echo "$manual has a line without CRLF"; exit 1; }
  ! LC_ALL=C grep -q $'[\x08\x1b\x80-\xff]' "$manual" || { echo "$manual is not plain ASCII"; exit 1; }
done
echo "$package.zip: $(stat -c %s "$build/$package.zip") bytes"
