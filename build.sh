#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Set-up, build and run in one go, for a fresh Debian 12 / Ubuntu machine. Every command first
# installs the Debian packages it needs that are missing (ci/lib.sh lists them).
#   ./build.sh run      build (build/), start the program
#   ./build.sh build    build only
#   ./build.sh test     build with warnings as errors and run the whole test suite headless
#   ./build.sh ci       the release checks, which take longer (ci/all.sh): sanitizers, fuzzing,
#                       the .deb, the Linux folder in a Qt-less Debian root, the Windows build
#                       with its suite under wine; .ci/run runs it after ./build.sh test
#   ./build.sh package  dist/huffman-lab_VERSION_amd64.deb (ci/deb.sh; arguments go to cmake)
#   ./build.sh bundle   dist/huffman-lab-VERSION-linux-x64.tar.gz, the folder that runs where Qt 6
#                       is not installed (packaging/linux/bundle.sh)
#   ./build.sh windows  dist/huffman-lab-VERSION-windows-x64.zip and ...-setup.exe (ci/windows.sh;
#                       builds Qt for Windows once, cached in ~/.cache/huffman-lab)
#   ./build.sh deps COMMAND   only install what COMMAND needs (.ci/run, before it starts work
#                       in the background)
# Idempotent: installs nothing when every package is present and rebuilds only what changed.
# The folders are configured from CMakePresets.json: build (preset default, or $BUILD_DIR),
# build-asan (sanitizers), build-fuzz (fuzz), build-package (package), build-windows (windows).
set -euo pipefail
cd "$(dirname "$0")"
. ci/lib.sh

mode=${1:-run}
[ $# -gt 0 ] && shift
only_install=false
if [ "$mode" = deps ]; then
    only_install=true
    mode=${1:-}
fi
case "$mode" in
    run | build | test | ci | package | bundle | windows) ;;
    *)
        echo "usage: $0 run|build|test|ci|package|bundle|windows, or $0 deps COMMAND" >&2
        exit 2 ;;
esac
mapfile -t packages < <(packages_for "$mode")
install_missing "${packages[@]}"
[ "$mode" = ci ] && install_libfuzzer
$only_install && exit 0

build() {
    if [ "$mode" = test ]; then
        # A warning fails the test command's build (and stays an error in this folder).
        configure "$build_dir" default -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    else
        configure "$build_dir" default
    fi
    cmake --build "$build_dir"
}

case "$mode" in
    run)
        build
        exec "$build_dir/app/huffman-lab" ;;
    build)
        build ;;
    test)
        start=$SECONDS
        build
        (cd "$build_dir" && ctest --output-on-failure -j"$(nproc)")
        echo "Build and tests took $((SECONDS - start)) s" ;;
    ci)
        build
        exec ci/all.sh ;;
    package)
        exec ci/deb.sh "$@" ;;
    bundle)
        exec packaging/linux/bundle.sh ;;
    windows)
        exec ci/windows.sh ;;
esac
