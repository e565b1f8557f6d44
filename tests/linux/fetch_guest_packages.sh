#!/usr/bin/env bash
# Fetches a guest's Debian kernel and busybox-static with apt-get download
# into CACHE/ARCH and unpacks them there; nothing is installed. A foreign
# architecture is added for the download only and removed again.
# usage: fetch_guest_packages.sh ARCH CACHE   (ARCH: amd64 or ppc64el)
set -euo pipefail
arch=$1
dir=$2/$arch
case $arch in
  amd64) flavour=amd64 ;;
  ppc64el) flavour=powerpc64le ;;
  *) echo "unknown guest architecture $arch" >&2; exit 2 ;;
esac
[ -f "$dir/ready" ] && exit 0
# Under ./test-all a guest that cannot be fetched is a failure, not a skip.
skip=77
[ -n "${PORTDUMP_TESTS_REQUIRED:-}" ] && skip=1

foreign=false
if [ "$arch" != "$(dpkg --print-architecture)" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
  foreign=true
fi
if [ "$(id -u)" -ne 0 ] && $foreign; then
  echo "the $arch guest's packages are not in $dir; fetching them needs root (dpkg --add-architecture)" >&2
  exit $skip
fi
restore() {
  if $foreign; then
    dpkg --remove-architecture "$arch"
    apt-get update -qq || true
  fi
}
# A mirror in the middle of a sync fails some index files for a while; the
# lists this needs are judged by the look-up below, not by the update.
update_lists() {
  for attempt in 1 2 3; do
    apt-get update -qq && return
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    sleep 10
  done
}
if $foreign; then
  dpkg --add-architecture "$arch"
  trap restore EXIT
  update_lists
fi

# The release the host's apt takes its packages from.
release=$(. /etc/os-release && echo "$VERSION_CODENAME")
# The version of PACKAGE in the release's own main suite, not its updates.
main_suite_version() {
  apt-cache madison "$1" | awk -F'|' -v suite=" $release/main " 'index($3, suite) { gsub(/ /, "", $2); print $2; exit }'
}
download() {
  (cd "$dir/debs" && apt-get download -q -o APT::Sandbox::User=root "$1")
}
# Downloads the first of the packages on standard input ("NAME [VERSION]" a
# line, best first) whose file the mirror has, and prints its name. A mirror
# in the middle of a sync can lack files its index names; where the first is
# not had, one line says what was taken instead.
fetch_first() {
  local name version first="" log=$dir/download.log
  while read -r name version; do
    first=${first:-$name}
    if download "$name:$arch${version:+=$version}" >"$log" 2>&1; then
      [ "$name $version" = "$first " ] ||
        echo "the mirror lacks $first's file: taking $name $version from $release's main suite instead" >&2
      echo "$name"
      return
    fi
  done
  [ ! -f "$log" ] || cat "$log" >&2
  return 1
}
# The kernel the metapackage points at, then the kernels of the flavour in
# the release's main suite, newest first.
kernels() {
  apt-cache depends "linux-image-$flavour:$arch" |
    awk '/^ *Depends: linux-image-[0-9]/ && !found++ { sub(/^ *Depends: /, ""); sub(/:.*/, ""); print }'
  apt-cache search --names-only "^linux-image-[0-9][^ ]*[0-9]-$flavour\$" | cut -d' ' -f1 | sort -rV |
    while read -r name; do
      version=$(main_suite_version "$name:$arch")
      [ -z "$version" ] || echo "$name $version"
    done
}

rm -rf "$dir"
mkdir -p "$dir/debs" "$dir/root"
kernel=$(kernels | fetch_first) || { echo "no kernel for $arch can be had from the mirror" >&2; exit 1; }
printf 'busybox-static\nbusybox-static %s\n' "$(main_suite_version "busybox-static:$arch")" | fetch_first >/dev/null
rm -f "$dir/download.log"
for deb in "$dir"/debs/*.deb; do
  dpkg-deb -x "$deb" "$dir/root"
done
rm -rf "$dir/debs"
# Where the packages put everything below /usr (Debian 13), the guest's
# paths are those of a merged-/usr system.
for top in bin sbin lib; do
  [ -e "$dir/root/$top" ] || [ ! -d "$dir/root/usr/$top" ] || ln -s "usr/$top" "$dir/root/$top"
done
# The kernel's release is its package's name: linux-image-RELEASE.
echo "${kernel#linux-image-}" >"$dir/ready"
