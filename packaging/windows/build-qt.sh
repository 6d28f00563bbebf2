#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Qt that the Windows build bundles, once, from Debian's own qt6-base source package,
# into a cache outside the clone, and beside it libjpeg-turbo from Debian's source package (the
# picture reader decodes JPEG files with libjpeg directly; it is linked statically). Prints the
# prefix on its last line.
#   packaging/windows/build-qt.sh WORK_DIR
# WORK_DIR holds the private apt lists, the source and Qt's build folder (the build folder goes
# once Qt is installed). The cache is $HUFFMAN_LAB_CACHE (default ~/.cache/huffman-lab), keyed by
# the source version and a hash of the flags, the toolchain file and the Wintab shim. An interrupted
# build of the same key goes on where it stopped.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mkdir -p "$1" && cd "$1" && pwd)
cache=${HUFFMAN_LAB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/huffman-lab}

# A private list of deb-src entries, made from the system's own sources; the system's apt setup
# is left alone. apt checks the downloaded source against the archive's signed index.
apt_dir=$work/apt
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/archives/partial"
rm -f "$apt_dir"/parts/* "$apt_dir/.updated"
if compgen -G "/etc/apt/sources.list.d/*.sources" > /dev/null; then
    for f in /etc/apt/sources.list.d/*.sources; do
        sed -n 's/^Types:.*\bdeb\b.*$/Types: deb-src/;p' "$f" > "$apt_dir/parts/$(basename "$f")"
    done
fi
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    grep -E '^\s*deb\s' "$f" | sed -E 's/^\s*deb\s/deb-src /' > "$apt_dir/parts/$(basename "$f")" || true
done
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::Archives=$apt_dir/archives"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)

# The version: the one the source index serves for the installed host Qt, so moc, rcc and uic
# (Debian's) match the Qt they generate code for.
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
key=$(cat "$here/qt-flags.txt" "$here/mingw-w64-x86_64.cmake" "$here/wintab/wintab.h" | sha256sum | cut -c1-12)
prefix=$cache/qt-${host_version//[:+~]/_}-mingw-w64-$key
# One build at a time: CI starts it early in the background, and the Windows stage waits here
# for it to finish.
mkdir -p "$cache"
exec 9> "$cache/qt-mingw-w64.lock"
flock 9
# Qt's Russian texts are the same files on every platform: Debian's (qt6-translations-l10n).
add_translations() {
    mkdir -p "$prefix/translations"
    cp /usr/share/qt6/translations/qtbase_ru.qm "$prefix/translations/"
}
# fetch PACKAGE VERSION: Debian's source package, unpacked with Debian's patches, into $src.
fetch() {
    local package=$1 version=$2
    src=$work/$package-$version
    if [ ! -f "$src/.unpacked" ]; then
        rm -rf "$src"
        [ -f "$apt_dir/.updated" ] || { apt-get "${apt_opts[@]}" -qq update >&2 && touch "$apt_dir/.updated"; }
        (cd "$work" && apt-get "${apt_opts[@]}" -qq source --download-only "$package=$version" >&2)
        dpkg-source -x "$work/${package}_${version#*:}.dsc" "$src" >&2
        touch "$src/.unpacked"
    fi
}

# libjpeg-turbo, static, of the version the Linux build links, with its SIMD code (nasm).
build_libjpeg() {
    local version build
    version=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev)
    [ -f "$prefix/.libjpeg-$version" ] && return 0
    echo "libjpeg-turbo for Windows: building $version into $prefix" >&2
    fetch libjpeg-turbo "$version"
    build=$work/libjpeg-build
    rm -rf "$build"
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF \
        -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON >&2
    cmake --build "$build" >&2
    cmake --install "$build" >&2
    mkdir -p "$prefix/licenses-libjpeg-turbo"
    cp "$src/LICENSE.md" "$src/README.ijg" "$prefix/licenses-libjpeg-turbo/"
    echo "libjpeg-turbo for Windows, built from Debian's source package libjpeg-turbo $version," \
        "static, with -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON" \
        > "$prefix/licenses-libjpeg-turbo/BUILD.txt"
    rm -rf "$build"
    touch "$prefix/.libjpeg-$version"
}

if [ -f "$prefix/.complete" ]; then
    echo "Qt for Windows: cached in $prefix" >&2
    add_translations
    build_libjpeg
    echo "$prefix"
    exit 0
fi

echo "Qt for Windows: building qt6-base $host_version into $prefix (about 20 minutes on two cores)" >&2
fetch qt6-base "$host_version"
dsc=$work/qt6-base_${host_version#*:}.dsc
# Debian's repack drops Qt's copy of the Wintab headers, which the Windows platform plugin
# includes for tablets: Wine's (LGPL, from libwine-dev) behind a shim (wintab/wintab.h).
mkdir -p "$src/src/3rdparty/wintab"
cp /usr/include/wine/wine/windows/wintab.h "$src/src/3rdparty/wintab/wine-wintab.h"
cp /usr/include/wine/wine/windows/pktdef.h "$src/src/3rdparty/wintab/pktdef.h"
cp "$here/wintab/wintab.h" "$src/src/3rdparty/wintab/wintab.h"

flags=()
while IFS= read -r line; do
    line=${line%%#*}
    line=$(echo "$line" | xargs)
    [ -n "$line" ] && flags+=("$line")
done < "$here/qt-flags.txt"

build=$work/qt-build
rm -rf "$prefix"
if [ "$(cat "$build/.key" 2>/dev/null)" != "$key" ] || [ ! -f "$build/build.ninja" ]; then
    rm -rf "$build"
    cmake -S "$src" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${flags[@]}" >&2
    echo "$key" > "$build/.key"
fi
cmake --build "$build" >&2
cmake --install "$build" --prefix "$prefix" >&2

# What anyone needs to rebuild exactly this Qt: the source version and the flags.
{
    echo "Qt for Windows, built from Debian's source package qt6-base $host_version"
    echo "($(basename "$dsc"), with Debian's patches applied by dpkg-source),"
    echo "and Wine's wintab.h and pktdef.h (libwine-dev $(dpkg-query -W -f='${Version}' libwine-dev))"
    echo "behind the shim packaging/windows/wintab/wintab.h,"
    echo "by $(x86_64-w64-mingw32-g++-posix --version | head -n 1)."
    echo
    echo "cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=mingw-w64-x86_64.cmake -DQT_HOST_PATH=/usr \\"
    printf '    %s \\\n' "${flags[@]}"
    echo
    echo "The toolchain file and the flags are in the program's source, packaging/windows/."
} > "$prefix/BUILDINFO.txt"
cp -r "$src/LICENSES" "$prefix/LICENSES"
add_translations
touch "$prefix/.complete"
rm -rf "$build"
build_libjpeg
echo "$prefix"
