#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows stage: the Windows build with its tests (ci/windows.sh tests), the whole suite under
# wine, then the zip and the installer checked as a lab PC meets them
# (tests/package/check_windows.sh, which compares the key tool's answers with the Linux build's).
set -euo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
stage "Windows (mingw-w64, wine) ($windows_dir)"
start=$SECONDS
ci/windows.sh tests
export HUFFMAN_LAB_WINDOWS_QT
HUFFMAN_LAB_WINDOWS_QT=$(packaging/windows/build-qt.sh "$windows_dir/qt-work" 2> /dev/null | tail -n 1)
# The build's own wine prefix, made before the first test so that no test pays for it.
WINEPREFIX=$(pwd)/$windows_dir/wine packaging/windows/wine-run.sh wineboot --init \
    > /dev/null 2>&1 || true
# One test at a time: two wine processes starting together in one fresh prefix can stall.
run_ctest "$windows_dir" "Windows tests under wine" 1
version=$(cat "$windows_dir/version.txt")
zip_file=dist/huffman-lab-$version-windows-x64.zip
setup_file=dist/huffman-lab-$version-windows-x64-setup.exe
log="$windows_dir/check_windows.log"
tests/package/check_windows.sh "$zip_file" "$setup_file" "$build_dir/keytool/huffman-lab-key" \
    "$windows_dir/window-150.png" | tee "$log"
summary "$(tail -n 1 "$log") ($zip_file, $setup_file)"
echo "Windows stage took $((SECONDS - start)) s"
