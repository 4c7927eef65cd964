#!/usr/bin/env bash
# Builds the Debian package of a build folder, unpacks it into a scratch root and uses it as
# installed: the package's dependencies, the files a desktop looks for, `tessarine --version`,
# and a scan into an embedded SQLite catalogue whose TIFF is measured by the packaged decoder.
# Usage: tests/install/package-test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessarine-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package-test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb=$(find "$scratch/out" -maxdepth 1 -name '*.deb' -print -quit)
[ -n "$deb" ] || fail "cpack wrote no .deb"

# The libraries come from dpkg-shlibdeps; the rest is ours.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libodbc2 libxml2 libfreeimage3 qt6-qpa-plugins unixodbc libsqliteodbc; do
  [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
    fail "Depends lacks $needed: $depends"
done
[ -z "$(dpkg-deb -f "$deb" Recommends)" ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ "$(dpkg-deb -f "$deb" Suggests)" = "odbc-postgresql, odbc-mariadb" ] || fail "Suggests: $(dpkg-deb -f "$deb" Suggests)"

root="$scratch/root"
dpkg -x "$deb" "$root"
for file in usr/bin/tessarine-pro usr/bin/tessarine usr/libexec/tessarine/tessarine-decoder; do
  [ -x "$root/$file" ] && [ ! -L "$root/$file" ] || fail "not an executable: /$file"
done
# Where the window looks from bin/ (ProgramDataFile), and what a desktop reads.
for file in usr/share/tessarine-pro/Help/TessarinePro.pdf usr/share/tessarine-pro/license-fi.txt \
            usr/share/applications/tessarine-pro.desktop \
            usr/share/icons/hicolor/scalable/apps/tessarine-pro.svg \
            usr/share/icons/hicolor/256x256/apps/tessarine-pro.png \
            usr/share/metainfo/org.example.tessarine.TessarinePro.metainfo.xml \
            usr/share/man/man1/tessarine.1.gz usr/share/man/man1/tessarine-pro.1.gz \
            usr/share/doc/tessarine-pro/copyright; do
  [ -s "$root/$file" ] || fail "missing: /$file"
done
grep -qx 'Exec=tessarine-pro' "$root/usr/share/applications/tessarine-pro.desktop" || fail "the menu entry runs another program"
grep -qx 'Icon=tessarine-pro' "$root/usr/share/applications/tessarine-pro.desktop" || fail "the menu entry shows another icon"

# The packaged programs, not the build tree's: no decoder named from outside.
unset TESSARINE_DECODER TESSARINE_HOME
tool="$root/usr/bin/tessarine"
version=$("$tool" --version)
[ "$version" = "$(dpkg-deb -f "$deb" Version)" ] || fail "tessarine --version says '$version'"

# The packaged decoder, wrapped to leave a mark: the scan must run this one, not the build tree's.
decoder="$root/usr/libexec/tessarine/tessarine-decoder"
mv "$decoder" "$decoder.packaged"
printf '#!/bin/sh\ntouch "%s"\nexec "%s" "$@"\n' "$scratch/decoder-ran" "$decoder.packaged" >"$decoder"
chmod +x "$decoder"

data="$scratch/data"
photos="$scratch/photos"
mkdir -p "$photos"
convert -size 40x30 xc:red "$photos/red.tif"
convert -size 64x48 xc:blue "$photos/blue.jpg"
"$source_dir/scripts/prepare-embedded-catalogue.sh" "$data" "$tool" >/dev/null
export TESSARINE_HOME="$data"
"$tool" folders add "$photos" >/dev/null
"$tool" scan 2>"$scratch/scan.log" || { cat "$scratch/scan.log" >&2; fail "the scan failed"; }
# The TIFF's size comes only from a decoder process.
sizes=$(sqlite3 "$data/catalogue.sqlite" "select FileName || ' ' || Width || 'x' || Height from Images order by FileName;")
expected=$'blue.jpg 64x48\nred.tif 40x30'
[ "$sizes" = "$expected" ] || fail "the catalogue holds: $sizes"
[ -e "$scratch/decoder-ran" ] || fail "the scan did not run the packaged decoder"
echo "package-test: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) installs and scans"
