#!/usr/bin/env bash
# Prints the packages of test-packages that bring the test part KIND, one a
# line; without KIND, all of them.
# usage: packages_of.sh [KIND]
set -euo pipefail
awk -v kind="${1:-}" '{ sub(/#.*/, "") } NF && (kind == "" || $2 == kind) { print $1 }' \
  "$(dirname "$0")/../test-packages"
