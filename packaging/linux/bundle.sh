#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The portable Linux folder, dist/huffman-lab-VERSION-linux-x64.tar.gz, for systems with glibc
# 2.36 or newer that lack Debian's Qt 6 (Astra Linux 1.8, say): the Release build of the .deb
# (build-package), with the Qt 6 libraries and plugins it loads and every library a system without
# Qt may lack, all from this system's Debian packages, unchanged but for their run path. Left out
# are the libraries of packaging/linux/bundle-exclude.txt (the C library, the graphics driver, the
# X client libraries, fontconfig: the AppImage project's list). The layout:
#   huffman-lab, huffman-lab-key   run path $ORIGIN/lib; qt.conf points Qt at the folder
#   lib/                           run path $ORIGIN
#   plugins/KIND/                  Qt's plugins, run path $ORIGIN/../../lib
#   translations/                  Qt's Russian texts
#   share/                         menu entry, icons, man pages, the guide, copyright, changelog
#   licenses/                      each bundled Debian package's copyright file, PACKAGES.txt
#   install-menu-entry.sh, README.txt, LICENSE.txt
# Needs patchelf and dpkg (for the packages' copyright files).
set -euo pipefail
cd "$(dirname "$0")/../.."
. ci/lib.sh
here=packaging/linux
build_release
version=$(project_version)
name=huffman-lab-$version
folder=$bundle_dir/$name
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2> /dev/null || echo x86_64-linux-gnu)
qt_plugins=/usr/lib/$multiarch/qt6/plugins

rm -rf "$bundle_dir"
mkdir -p "$bundle_dir"
cmake --install "$package_dir" --prefix "$bundle_dir/usr" --strip > /dev/null
mkdir -p "$folder/lib" "$folder/translations" "$folder/licenses"
mv "$bundle_dir/usr/bin/huffman-lab" "$bundle_dir/usr/bin/huffman-lab-key" "$folder/"
mv "$bundle_dir/usr/share" "$folder/share"
rm -rf "$bundle_dir/usr"
# The guide with its pictures, as the program shows it.
mkdir -p "$folder/share/doc/huffman-lab/guide"
cp docs/guide.md "$folder/share/doc/huffman-lab/"
sed -n 's/.*](\([^)/]*\.png\)).*/\1/p' docs/guide.md | sort -u | while read -r picture; do
    cp "docs/$picture" "$folder/share/doc/huffman-lab/"
done
rmdir "$folder/share/doc/huffman-lab/guide"
cp LICENSE "$folder/LICENSE.txt"
cp "$here/README-linux.txt" "$folder/README.txt"
cp "$here/install-menu-entry.sh" "$folder/"
cp "$here/qt.conf" "$folder/"
cp /usr/share/qt6/translations/qtbase_ru.qm "$folder/translations/"

# Qt's plugins the programs load: the X11 platform (offscreen too, for use without a display),
# compose keys, JPEG and ICO files as on Windows, and printing through CUPS.
for plugin in platforms/libqxcb.so platforms/libqoffscreen.so \
    platforminputcontexts/libcomposeplatforminputcontextplugin.so \
    imageformats/libqjpeg.so imageformats/libqico.so printsupport/libcupsprintersupport.so; do
    mkdir -p "$folder/plugins/$(dirname "$plugin")"
    cp "$qt_plugins/$plugin" "$folder/plugins/$plugin"
done

# Every library the executables and plugins load, found as ld.so finds them here: their DT_NEEDED
# entries followed down, but not into the excluded libraries, which bring their own.
excluded=$(sed -e 's/#.*//' -e '/^\s*$/d' "$here/bundle-exclude.txt")
mapfile -t elves < <(find "$folder" -maxdepth 1 -type f -perm -u+x -name 'huffman-lab*';
                     find "$folder/plugins" -name '*.so')
if ldd "${elves[@]}" | grep "not found" >&2; then
    echo "bundle: a library is missing on this system" >&2
    exit 1
fi
declare -A where
while read -r soname path; do where[$soname]=$path; done < <(
    ldd "${elves[@]}" | awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }' | sort -u)
pending=("${elves[@]}")
: > "$bundle_dir/libraries.txt"
while [ ${#pending[@]} -gt 0 ]; do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    for soname in $(objdump -p "$file" | awk '$1 == "NEEDED" { print $2 }'); do
        grep -qxF "$soname" <<< "$excluded" && continue
        [ -f "$folder/lib/$soname" ] && continue
        path=${where[$soname]:-}
        [ -n "$path" ] || { echo "bundle: $file needs $soname, which ldd did not find" >&2; exit 1; }
        cp -L "$path" "$folder/lib/$soname"
        echo "$path" >> "$bundle_dir/libraries.txt"
        pending+=("$folder/lib/$soname")
    done
done

patchelf --set-rpath '$ORIGIN/lib' "$folder/huffman-lab" "$folder/huffman-lab-key"
for library in "$folder"/lib/*.so*; do patchelf --set-rpath '$ORIGIN' "$library"; done
find "$folder/plugins" -name '*.so' -exec patchelf --set-rpath '$ORIGIN/../../lib' {} \;

# The licences: each bundled library's Debian package, its version and copyright file.
{
    echo "Debian packages whose libraries or plugins this folder holds, unchanged but for their"
    echo "run path (set with patchelf); their copyright files are beside this list."
    echo
    for path in $(cat "$bundle_dir/libraries.txt") "${qt_plugins}"/platforms/libqxcb.so \
        "$qt_plugins"/platforms/libqoffscreen.so \
        "$qt_plugins"/platforminputcontexts/libcomposeplatforminputcontextplugin.so \
        "$qt_plugins"/imageformats/libqjpeg.so "$qt_plugins"/printsupport/libcupsprintersupport.so \
        /usr/share/qt6/translations/qtbase_ru.qm; do
        dpkg -S "$(realpath "$path")" 2> /dev/null || dpkg -S "$path"
    done | cut -d: -f1 | sort -u | while read -r package; do
        echo "$package $(dpkg-query -W -f='${Version}' "$package")"
        cp "/usr/share/doc/$package/copyright" "$folder/licenses/$package.copyright"
    done
} > "$folder/licenses/PACKAGES.txt"

mkdir -p dist
tarball=dist/$name-linux-x64.tar.gz
(cd "$bundle_dir" && tar --owner=0 --group=0 --numeric-owner --sort=name -czf "$OLDPWD/$tarball" "$name")
echo "Folder: $tarball ($(du -h "$tarball" | cut -f1); $(du -sh "$folder" | cut -f1) unpacked," \
    "$(ls "$folder/lib" | wc -l) libraries)"
