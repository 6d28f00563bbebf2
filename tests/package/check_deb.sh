#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built Debian package as a lab machine meets it: its control fields, every file it must
# install, the software centre's entry, the menu entry and lintian's verdict, then the programs
# unpacked from it run there: the key tool prints the homework answer and the window opens on a
# virtual display and closes with exit code 0.
#   tests/package/check_deb.sh dist/huffman-lab_VERSION_amd64.deb
# Needs dpkg-deb, appstreamcli, desktop-file-validate, lintian, xvfb-run and python3.
set -uo pipefail
deb=$1
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=tests/package/check.sh
. "$here/check.sh"
field_is() { [ "$(dpkg-deb -f "$deb" "$1")" = "$2" ] || { dpkg-deb -f "$deb" "$1"; false; }; }
field_has() { dpkg-deb -f "$deb" "$1" | grep -Eqe "$2" || { dpkg-deb -f "$deb" "$1"; false; }; }
field_lacks() { ! dpkg-deb -f "$deb" "$1" | grep -Ee "$2"; }

echo "Package: $deb"
dpkg-deb -I "$deb"

check "section education" field_is Section education
check "priority optional" field_is Priority optional
check "maintainer names the project" field_has Maintainer "huffman-lab"
check "dependencies computed: the Qt libraries" field_has Depends "libqt6widgets6 .*"
check "no build package among the dependencies" field_lacks Depends -dev
# The charts are drawn by the program itself: neither Qt Charts nor the Qt OpenGL it pulls in.
check "no Qt Charts or Qt OpenGL among the dependencies" field_lacks Depends "libqt6(charts|opengl)"
check "recommends Qt's own Russian texts" field_has Recommends "qt6-translations-l10n"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's#^\./#/#' > "$scratch/files"
echo "Files:"
sed 's/^/  /' "$scratch/files"
icons=/usr/share/icons/hicolor
for path in /usr/bin/huffman-lab /usr/bin/huffman-lab-key \
    /usr/share/applications/huffman-lab.desktop \
    $icons/16x16/apps/huffman-lab.png $icons/32x32/apps/huffman-lab.png \
    $icons/48x48/apps/huffman-lab.png $icons/64x64/apps/huffman-lab.png \
    $icons/128x128/apps/huffman-lab.png $icons/256x256/apps/huffman-lab.png \
    $icons/scalable/apps/huffman-lab.svg \
    /usr/share/metainfo/huffman-lab.metainfo.xml \
    /usr/share/man/man1/huffman-lab.1.gz /usr/share/man/man1/huffman-lab-key.1.gz \
    /usr/share/doc/huffman-lab/copyright /usr/share/doc/huffman-lab/changelog.gz; do
    check "holds $path" grep -qxF "$path" "$scratch/files"
done

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for size in 16 32 48 64 128 256; do
    check "the ${size}x${size} icon is ${size} x ${size}" \
        grep -q "PNG image data, $size x $size," <(file "$root$icons/${size}x$size/apps/huffman-lab.png")
done
check "the man pages are gzipped" gzip -t "$root"/usr/share/man/man1/huffman-lab.1.gz \
    "$root"/usr/share/man/man1/huffman-lab-key.1.gz

# appstreamcli fails on warnings too; what must not be there is an error.
appstreamcli validate --no-net "$root/usr/share/metainfo/huffman-lab.metainfo.xml" \
    > "$scratch/appstream" 2>&1
echo "appstreamcli validate --no-net:"
sed 's/^/  /' "$scratch/appstream"
check "appstreamcli: no errors" bash -c '! grep -q "^E:" "$1" && ! grep -q "errors: [1-9]" "$1"' \
    sh "$scratch/appstream"
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/huffman-lab.desktop"

lintian --fail-on error,warning -I --pedantic "$deb" > "$scratch/lintian" 2>&1
lintian_result=$?
echo "lintian -I --pedantic:"
sed 's/^/  /' "$scratch/lintian"
check "lintian: no errors or warnings" test "$lintian_result" -eq 0

key_answer() { [ "$("$root/usr/bin/huffman-lab-key" name "Мама Мыла Раму")" = "0,3,0,4" ]; }
check "the unpacked huffman-lab-key: \"Мама Мыла Раму\" gives 0,3,0,4" key_answer
check "the unpacked huffman-lab opens its window and closes with exit code 0" \
    xvfb-run -a python3 "$here/../smoke/smoke.py" "$root/usr/bin/huffman-lab" "$title" 15

check_summary package
