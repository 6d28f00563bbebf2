#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build: Qt from the cache (built first by packaging/windows/build-qt.sh if it is not
# there), the program and the key tool cross-built in Release mode (build-windows, preset
# windows), the install tree zipped (dist/huffman-lab-VERSION-windows-x64.zip) and wrapped in the
# installer (dist/huffman-lab-VERSION-windows-x64-setup.exe).
#   ci/windows.sh [tests]   with "tests", the tests are built as well (they run under wine
#                           through CTest's emulator)
set -euo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
qt=$(packaging/windows/build-qt.sh "$windows_dir/qt-work" | tail -n 1)
export HUFFMAN_LAB_WINDOWS_QT=$qt
configure "$windows_dir" windows
if [ "${1:-}" = tests ]; then
    cmake --build "$windows_dir"
else
    cmake --build "$windows_dir" --target huffman-lab huffman-lab-key
fi
version=$(cat "$windows_dir/version.txt")
stage_dir=$windows_dir/stage/huffman-lab-$version
rm -rf "$windows_dir/stage"
cmake --install "$windows_dir" --prefix "$stage_dir" > /dev/null
# Debian's MinGW runtime and the Qt build keep their debugging sections: 40 MB a lab PC does not
# need.
find "$stage_dir" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
mkdir -p dist
zip_file=dist/huffman-lab-$version-windows-x64.zip
setup_file=dist/huffman-lab-$version-windows-x64-setup.exe
rm -f "$zip_file" "$setup_file"
(cd "$windows_dir/stage" && zip -q -r -9 "$OLDPWD/$zip_file" "huffman-lab-$version")
makensis -V2 -DVERSION="$version" -DSTAGE="$(pwd)/$stage_dir" -DOUTFILE="$(pwd)/$setup_file" \
    -DICON="$(pwd)/resources/icons/images/QuarnelClass.ico" packaging/windows/installer.nsi
[ -s "$setup_file" ] || { echo "makensis wrote no $setup_file" >&2; exit 1; }
echo "Portable: $zip_file ($(du -h "$zip_file" | cut -f1))"
echo "Installer: $setup_file ($(du -h "$setup_file" | cut -f1))"
