#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A minimal Debian 12 root as a lab machine without Qt has it, made once with debootstrap and
# cached; prints its path on its last line. Beyond debootstrap's minimal base it holds what every
# desktop system has and the portable folder leaves to the system (packaging/linux/
# bundle-exclude.txt): the X client libraries, the OpenGL and EGL dispatchers (libglvnd's), fontconfig with a
# font, and Xvfb to show the window on. No Qt.
#   tests/package/debian-root.sh
# The cache is $HUFFMAN_LAB_CACHE (default ~/.cache/huffman-lab)/debian12-root-KEY, KEY a hash of
# the suite and the package list, so a changed list makes a new root. Needs root (debootstrap,
# chroot) and the Debian archive ($DEBIAN_MIRROR, default the system's first Debian source).
set -euo pipefail
cache=${HUFFMAN_LAB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/huffman-lab}
suite=bookworm
packages=libx11-6,libx11-xcb1,libxcb1,libice6,libsm6,libgl1,libegl1,libopengl0,libfontconfig1,libfreetype6
packages+=,libharfbuzz0b,libfribidi0,libexpat1,zlib1g,libuuid1,libgmp10,libgpg-error0,libdrm2
packages+=,fonts-dejavu-core,xvfb,xauth
key=$(echo "$suite $packages" | sha256sum | cut -c1-12)
root=$cache/debian12-root-$key

mirror=${DEBIAN_MIRROR:-}
if [ -z "$mirror" ]; then
    mirror=$(cat /etc/apt/sources.list.d/*.sources 2> /dev/null | sed -n 's/^URIs:\s*\(\S*\/debian\)\s*$/\1/p' | head -n 1)
    [ -n "$mirror" ] || mirror=$(sed -n 's/^deb\s\+\(\S*\/debian\)\s\+bookworm\s.*/\1/p' /etc/apt/sources.list 2> /dev/null | head -n 1)
    [ -n "$mirror" ] || mirror=http://deb.debian.org/debian
fi

mkdir -p "$cache"
# One maker at a time: the release checks may ask for it from two stages at once.
exec 9> "$cache/debian12-root.lock"
flock 9
if [ ! -f "$root/.complete" ]; then
    echo "Debian 12 root: debootstrap $suite from $mirror into $root" >&2
    # Roots of other package lists are of no further use.
    rm -rf "$root" "$root.partial" "$cache"/debian12-root-*
    debootstrap --variant=minbase --include="$packages" "$suite" "$root.partial" "$mirror" >&2
    chroot "$root.partial" apt-get clean
    echo "$suite $packages" > "$root.partial/.packages"
    touch "$root.partial/.complete"
    mv "$root.partial" "$root"
fi
echo "$root"
