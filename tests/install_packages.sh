#!/usr/bin/env bash
# Installs the packages of test-packages that are missing (as root; otherwise
# it prints the install lines to run and fails). The 32-bit ones (x86 Wine)
# are installed apart, and only on a host that executes 32-bit programs.
# Where the x86 exes cannot run under Wine it prints why on stdout, its only
# output there; apt's goes to stderr.
set -euo pipefail
cd "$(dirname "$0")"
exec 3>&1 1>&2

packages_missing() {
  local package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || echo "$package"
  done
}
mapfile -t listed < <(bash packages_of.sh)
mapfile -t missing < <(packages_missing "${listed[@]}" | grep -v ':i386$' || true)
mapfile -t missing32 < <(packages_missing "${listed[@]}" | grep ':i386$' || true)
x86_runs_unavailable=
if ! bash wine/host_runs_32bit.sh; then
  x86_runs_unavailable="this host cannot execute 32-bit x86 programs"
  missing32=()
fi

# A mirror in the middle of a sync fails some index files for a while: the
# update is tried again, and the install judges what it needs.
update_index() {
  local attempt
  for attempt in 1 2 3; do
    apt-get update 2>&1 | tee "$1" && ! grep -q '^E:' "$1" && return
    echo "apt-get update failed (attempt $attempt of 3)"
    sleep 10
  done
}

# Prints apt's own reason for a failed install, shortened to one line.
apt_reason() {
  local install_error update_error
  install_error=$(grep -m1 '^E: ' "$1" | cut -c4- | cut -c1-100 || true)
  update_error=$(grep -m1 -o 'File has unexpected size.*Mirror sync in progress?' "$2" |
                 sed 's/ ([0-9]* != [0-9]*)//' || true)
  echo "${install_error:-apt-get install failed}${update_error:+ (index: $update_error)}"
}

if [ ${#missing[@]} -gt 0 ] || [ ${#missing32[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "The tests need packages that are missing. Run this as root, or first, as root:"
    [ ${#missing[@]} -gt 0 ] && echo "  apt-get update && apt-get install -y ${missing[*]}"
    [ ${#missing32[@]} -gt 0 ] &&
      echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y ${missing32[*]}"
    exit 1
  fi
  log=$(mktemp -d)
  trap 'rm -rf "$log"' EXIT
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    update_index "$log/update" || true
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
  fi
  if [ ${#missing32[@]} -gt 0 ]; then
    echo "Installing the 32-bit packages: ${missing32[*]}"
    added_i386=false
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
      added_i386=true
    fi
    update_index "$log/update32" || true
    if ! DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing32[@]}" 2>&1 | tee "$log/install32"; then
      x86_runs_unavailable="32-bit Wine cannot be installed: $(apt_reason "$log/install32" "$log/update32")"
      # Nothing of i386 came in: leave apt as it was found.
      if $added_i386 && ! dpkg -l | awk '$1 == "ii" { print $2 }' | grep -q ':i386$'; then
        dpkg --remove-architecture i386
      fi
    fi
  fi
fi
echo -n "$x86_runs_unavailable" >&3
