#!/usr/bin/env bash
# Set-up, build and run in one go, for a fresh Debian 12 / Ubuntu machine.
#   ./build.sh run     install what is missing, build, start the program
#   ./build.sh test    install what is missing, build, run the whole test suite headless
#   ./build.sh build   install what is missing and build only
# Idempotent: installs nothing when every package is present and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
build_dir=${BUILD_DIR:-build}

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-dejavu-core
    xvfb xauth
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    if [ ! -f "$build_dir/build.ninja" ]; then
        cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$build_dir"
}

install_missing
configure_and_build

case "$mode" in
    run)
        exec "$build_dir/app/huffman-lab" ;;
    build)
        ;;
    test)
        cd "$build_dir"
        ctest --output-on-failure -j"$(nproc)" ;;
    *)
        echo "usage: $0 run|test|build" >&2
        exit 2 ;;
esac
