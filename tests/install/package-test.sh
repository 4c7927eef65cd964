#!/usr/bin/env bash
# Builds the Debian package of a build folder, unpacks it into a scratch root and checks what it
# holds (its dependencies, the files a desktop looks for, the manual pages' paths, `tessarine
# --version`). Then installs the same build at another prefix and uses it there as a new user would,
# with no settings and an empty home: the first start creates the embedded catalogue, a scan fills
# it (the TIFF measured by that installation's decoder) and a search finds a photo by its keyword.
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
for needed in libqt6widgets6 libodbc2 libxml2 libfreeimage3 libicu72 qt6-qpa-plugins unixodbc libsqliteodbc; do
  [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
    fail "Depends lacks $needed: $depends"
done
[ -z "$(dpkg-deb -f "$deb" Recommends)" ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ "$(dpkg-deb -f "$deb" Suggests)" = "odbc-postgresql, odbc-mariadb" ] || fail "Suggests: $(dpkg-deb -f "$deb" Suggests)"

root="$scratch/root"
dpkg -x "$deb" "$root"
# The package is built for the configured prefix (/usr by default).
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
usr=${prefix#/}
for file in $usr/bin/tessarine-pro $usr/bin/tessarine $usr/libexec/tessarine/tessarine-decoder; do
  [ -x "$root/$file" ] && [ ! -L "$root/$file" ] || fail "not an executable: /$file"
done
# Where the window looks from bin/ (ProgramDataFile), and what a desktop reads.
for file in $usr/share/tessarine-pro/Help/TessarinePro.pdf $usr/share/tessarine-pro/license-fi.txt \
            $usr/share/applications/tessarine-pro.desktop \
            $usr/share/icons/hicolor/scalable/apps/tessarine-pro.svg \
            $usr/share/icons/hicolor/256x256/apps/tessarine-pro.png \
            $usr/share/metainfo/org.example.tessarine.TessarinePro.metainfo.xml \
            $usr/share/man/man1/tessarine.1.gz $usr/share/man/man1/tessarine-pro.1.gz \
            $usr/share/doc/tessarine-pro/copyright; do
  [ -s "$root/$file" ] || fail "missing: /$file"
done
# The manual is a real document of several pages; the scalable icon is the window's drawing.
head -c 5 "$root/$usr/share/tessarine-pro/Help/TessarinePro.pdf" | grep -qx '%PDF-' &&
  [ "$(stat -c %s "$root/$usr/share/tessarine-pro/Help/TessarinePro.pdf")" -gt 20000 ] || fail "the manual is no document"
grep -q 'FreeImage Public License - Version 1.0' "$root/$usr/share/tessarine-pro/license-fi.txt" || fail "no FreeImage licence"
grep -q '<svg' "$root/$usr/share/icons/hicolor/scalable/apps/tessarine-pro.svg" || fail "the scalable icon is no SVG"
grep -qx 'Exec=tessarine-pro' "$root/$usr/share/applications/tessarine-pro.desktop" || fail "the menu entry runs another program"
grep -qx 'Icon=tessarine-pro' "$root/$usr/share/applications/tessarine-pro.desktop" || fail "the menu entry shows another icon"
# The user unit of `tessarine watch` runs the packaged tool.
grep -qx "ExecStart=/$usr/bin/tessarine watch" "$root/$usr/lib/systemd/user/tessarine-watch.service" ||
  fail "the watch unit is missing or runs another program"

# The manual pages name the files where the package puts them.
zcat "$root/$usr/share/man/man1/tessarine.1.gz" | grep -qF "$(sed 's/-/\\-/g' <<<"$prefix")/libexec/tessarine/tessarine\-decoder" ||
  fail "tessarine(1) does not name the decoder under $prefix"

# The packaged programs, not the build tree's: no decoder named from outside.
unset TESSARINE_DECODER TESSARINE_HOME
version=$("$root/$usr/bin/tessarine" --version)
[ "$version" = "$(dpkg-deb -f "$deb" Version)" ] || fail "tessarine --version says '$version'"

# The same build at another prefix: its programs find their decoder relative to themselves.
opt="$scratch/opt/tessarine"
cmake --install "$build" --prefix "$opt" >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }
tool="$opt/bin/tessarine"
# That decoder, wrapped to leave a mark: the scan must run this one, not the build tree's.
decoder="$opt/libexec/tessarine/tessarine-decoder"
mv "$decoder" "$decoder.installed"
printf '#!/bin/sh\ntouch "%s"\nexec "%s" "$@"\n' "$scratch/decoder-ran" "$decoder.installed" >"$decoder"
chmod +x "$decoder"

photos="$scratch/photos"
mkdir -p "$photos"
convert -size 40x30 xc:red "$photos/red.tif"
convert -size 64x48 xc:blue "$photos/blue.jpg"
exiftool -q -overwrite_original -IPTC:Keywords=harbour "$photos/blue.jpg"

# A new user: an empty home, no settings, no XDG folders named, nothing of the tests' environment.
home="$scratch/home"
mkdir -p "$home"
as_new_user() { env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }
data="$home/.local/share/tessarine-pro"

# Without the SQLite ODBC driver nothing is created, and the package to install is named.
mkdir -p "$scratch/no-drivers"
if as_new_user ODBCSYSINI="$scratch/no-drivers" "$tool" folders add "$photos" 2>"$scratch/nodriver.log"; then
  fail "a first start without the driver succeeded"
fi
grep -q "install the package libsqliteodbc" "$scratch/nodriver.log" || fail "no driver: $(cat "$scratch/nodriver.log")"
[ ! -e "$data/catalogue.sqlite" ] || fail "a catalogue was made without its driver"

as_new_user "$tool" folders add "$photos" >/dev/null 2>"$scratch/first.log" || { cat "$scratch/first.log" >&2; fail "folders add failed"; }
grep -qF "Created the catalogue $data/catalogue.sqlite" "$scratch/first.log" || fail "first start: $(cat "$scratch/first.log")"
as_new_user "$tool" scan 2>"$scratch/scan.log" || { cat "$scratch/scan.log" >&2; fail "the scan failed"; }
! grep -q "Created the catalogue" "$scratch/scan.log" || fail "the catalogue was created twice"
found=$(as_new_user "$tool" find harbour) || fail "find harbour found nothing"
[ "$found" = "$photos/blue.jpg" ] || fail "find harbour printed: $found"
grep -q "^DSN=$data/catalogue.dsn" "$home/.config/tessarine-pro/Tessarine PRO.ini" || fail "the settings do not name the catalogue"
# The TIFF's size comes only from a decoder process.
sizes=$(sqlite3 "$data/catalogue.sqlite" "select FileName || ' ' || Width || 'x' || Height from Images order by FileName;")
expected=$'blue.jpg 64x48\nred.tif 40x30'
[ "$sizes" = "$expected" ] || fail "the catalogue holds: $sizes"
[ -e "$scratch/decoder-ran" ] || fail "the scan did not run the decoder installed under $opt"
echo "package-test: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) installs; at $opt a new user catalogues and finds"
