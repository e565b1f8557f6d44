#!/usr/bin/env bash
# Builds the .deb and the tarball with CPack in BUILD_DIR and checks them: the
# same files in each, lintian (where installed) with no error nor warning,
# and the programs stripped and answering --version.
# usage: check_packages.sh CPACK READELF BUILD_DIR VERSION PROCESSOR [LINTIAN]
set -euo pipefail
cpack=$1 readelf=$2 build=$3 version=$4 processor=$5 lintian=${6:-}
fail() { echo "FAIL: $*" >&2; exit 1; }
(cd "$build" && "$cpack" -G "DEB;TGZ" >/dev/null)
deb=$(ls "$build"/portdump_"$version"_*.deb) tarball=$build/portdump-$version-linux-$processor.tar.gz
[ -f "$tarball" ] || fail "no $tarball"

files=(bin/portdump bin/portdump-decode bin/portdump-list
       share/doc/portdump/LICENSE share/doc/portdump/README.md share/doc/portdump/changelog.gz
       share/doc/portdump/copyright share/lintian/overrides/portdump
       share/man/man1/portdump-decode.1.gz share/man/man1/portdump-list.1.gz share/man/man1/portdump.1.gz)
expected=$(printf '%s\n' "${files[@]}" | LC_ALL=C sort)
in_deb=$(dpkg-deb --fsys-tarfile "$deb" | tar t | grep -v '/$' | sed 's|^\./usr/||' | LC_ALL=C sort)
in_tarball=$(tar tzf "$tarball" | grep -v '/$' | sed "s|^portdump-$version-linux-$processor/||" | LC_ALL=C sort)
[ "$in_deb" = "$expected" ] || fail "the .deb holds: $in_deb"
[ "$in_tarball" = "$expected" ] || fail "the tarball holds: $in_tarball"
[ -z "$(dpkg-deb -f "$deb" Depends)" ] || fail "the .deb depends on something"

work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
for program in portdump-decode portdump-list; do
  "$work/usr/bin/$program" --version | grep -qx "$program $version" || fail "$program --version"
done
if "$readelf" -S "$work/usr/bin/portdump" | grep -q '\.symtab'; then fail "portdump is not stripped"; fi
zcat "$work/usr/share/doc/portdump/changelog.gz" | head -1 | grep -q "^portdump ($version)" || fail "changelog"

if [ -n "$lintian" ]; then
  said=$("$lintian" --allow-root "$deb" 2>&1 || true)
  ! grep -E '^[EW]: ' <<<"$said" || fail "lintian: $said"
  echo "lintian: no error or warning"
fi
echo "$(basename "$deb") and $(basename "$tarball") hold the same ${#files[@]} files"
