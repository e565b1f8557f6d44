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

# The kernel the metapackage points at, e.g. linux-image-6.1.0-57-amd64.
kernel=$(apt-cache depends "linux-image-$flavour:$arch" | sed -n 's/^ *Depends: \(linux-image-[0-9][^:]*\).*/\1/p' | head -1)
if [ -z "$kernel" ]; then
  echo "no kernel package for $arch" >&2
  exit 1
fi
rm -rf "$dir"
mkdir -p "$dir/debs" "$dir/root"
(cd "$dir/debs" && apt-get download -q -o APT::Sandbox::User=root "$kernel:$arch" "busybox-static:$arch")
for deb in "$dir"/debs/*.deb; do
  dpkg-deb -x "$deb" "$dir/root"
done
rm -rf "$dir/debs"
echo "$kernel" >"$dir/ready"
