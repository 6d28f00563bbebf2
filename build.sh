#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Set-up, build and run in one go, for a fresh Debian 12 / Ubuntu machine.
#   ./build.sh run     install what is missing, build, start the program
#   ./build.sh test    install what is missing, then five stages: build (warnings are errors)
#                      + the whole test suite headless; the same under AddressSanitizer/UBSan
#                      (build-asan); the fuzz harnesses built with clang (build-fuzz), each run
#                      for FUZZ_SECONDS (default 60 when CI=true, else 10) on a fresh copy of the
#                      seed corpus; the Debian package built and checked (build-package); the
#                      Windows build, its whole test suite under wine and its zip and installer
#                      checked (build-windows)
#   ./build.sh build   install what is missing and build only
#   ./build.sh package install what is missing, build in Release mode (build-package) and write
#                      dist/huffman-lab_VERSION_amd64.deb; further arguments go to cmake
#   ./build.sh windows install what is missing, build Qt for Windows once from Debian's source
#                      package (cached in ~/.cache/huffman-lab), cross-build in Release mode
#                      (build-windows) and write dist/huffman-lab-VERSION-windows-x64.zip and
#                      dist/huffman-lab-VERSION-windows-x64-setup.exe
# Idempotent: installs nothing when every package is present and rebuilds only what changed.
# The folders are configured from CMakePresets.json: build (preset default, or $BUILD_DIR),
# build-asan (sanitizers), build-fuzz (fuzz), build-windows (windows).
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
[ $# -gt 0 ] && shift
build_dir=${BUILD_DIR:-build}
asan_dir=${build_dir}-asan
fuzz_dir=${build_dir}-fuzz
package_dir=${build_dir}-package
windows_dir=${build_dir}-windows

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # JPEG files are decoded with libjpeg directly (analysis/jpegdecoder.h).
    libjpeg-dev
    fonts-dejavu-core fonts-dejavu-extra
    qt6-translations-l10n
    xvfb xauth
)
# The test stages: python3 drives the smoke test of the real window, desktop-file-validate checks
# the menu entry, clang builds the fuzz harnesses; libFuzzer comes below, from whichever package
# the release ships it in (libclang-rt-N-dev on Debian 12, libclang-common-N-dev on older Ubuntu).
# The accessibility check reads the real window over the AT-SPI bus in its own D-Bus session.
if [ "$mode" = test ]; then
    packages+=(python3 desktop-file-utils clang)
    packages+=(dbus-daemon at-spi2-core python3-pyatspi)
fi
# The package: dpkg-shlibdeps (dpkg-dev) computes its dependencies, on the executables CPack finds
# with file; the test stage checks it with appstreamcli and lintian.
if [ "$mode" = package ] || [ "$mode" = test ]; then
    packages+=(dpkg-dev file)
fi
if [ "$mode" = test ]; then
    packages+=(appstream lintian)
fi
# Windows: Debian's mingw-w64 (posix threads) builds Qt from Debian's qt6-base source package
# (dpkg-source unpacks it; Wine's headers stand in for the Wintab ones the repack drops; Debian's
# own moc, rcc and uic serve as the host tools) and then the program; wine runs the tests, NSIS
# writes the installer, zip the portable folder; the check runs the installed window under Xvfb.
if [ "$mode" = windows ] || [ "$mode" = test ]; then
    packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
               binutils-mingw-w64-x86-64 dpkg-dev perl libwine-dev wine wine64 nsis zip unzip
               python3 libjpeg-turbo-progs nasm libjpeg-dev)
fi

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

# configure DIR PRESET [-Doption...]: through CMakePresets.json (default, sanitizers, fuzz), as an
# IDE configures; a configured folder is configured again only when options are given.
# CMAKE_CXX_COMPILER_LAUNCHER in the environment (ccache) is taken on the first configure.
configure() {
    local dir=$1 preset=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
        cmake --preset "$preset" -B "$dir" "$@"
    fi
}

configure_and_build() {
    if [ "$mode" = test ]; then
        # CI's first stage: a warning fails the build (and stays an error in this folder).
        configure "$build_dir" default -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    else
        configure "$build_dir" default
    fi
    cmake --build "$build_dir"
}

stage() {
    echo
    echo "==================== $* ===================="
}

install_missing
if [ "$mode" = test ] && [ ! -f "$(clang++ -print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]; then
    echo "Installing libFuzzer"
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    clang_major=$(clang++ -dumpversion | cut -d. -f1)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "libclang-rt-$clang_major-dev" || DEBIAN_FRONTEND=noninteractive "${sudo[@]}" \
        apt-get install -y -qq --no-install-recommends "libclang-common-$clang_major-dev"
fi
if [ "$mode" = test ]; then stage "Stage 1/5: build and tests ($build_dir)"; fi
if [ "$mode" != package ] && [ "$mode" != windows ]; then configure_and_build; fi

# ctest's closing lines of each stage, repeated at the very end.
summaries=()
run_ctest() {
    local dir=$1 label=$2 jobs=${3:-$(nproc)} log
    log="$dir/ctest-summary.log"
    (cd "$dir" && ctest --output-on-failure -j"$jobs") | tee "$log"
    while IFS= read -r line; do
        summaries+=("$label: $line")
    done < <(grep -E "tests passed|Total Test time" "$log")
}

sanitizer_environment() {
    local suppressions
    suppressions="$(pwd)/tests/sanitizers/lsan.supp"
    export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$suppressions:print_suppressions=0
}

stage_sanitize() {
    stage "Stage 2/5: AddressSanitizer + UBSan build and tests ($asan_dir)"
    local start=$SECONDS
    configure "$asan_dir" sanitizers
    cmake --build "$asan_dir"
    sanitizer_environment
    run_ctest "$asan_dir" "stage 2, sanitizers"
    echo "Stage 2 took $((SECONDS - start)) s"
}

stage_fuzz() {
    stage "Stage 3/5: fuzz harnesses ($fuzz_dir)"
    local start=$SECONDS
    configure "$fuzz_dir" fuzz
    cmake --build "$fuzz_dir" --target fuzz_picture fuzz_coder
    local seconds=${FUZZ_SECONDS:-}
    if [ -z "$seconds" ]; then
        if [ "${CI:-}" = true ]; then seconds=60; else seconds=10; fi
    fi
    sanitizer_environment
    local harness corpus log runs
    for harness in picture coder; do
        corpus="$fuzz_dir/corpus/$harness"
        log="$fuzz_dir/fuzz_$harness.log"
        rm -rf "$corpus" "$fuzz_dir/jobs"
        mkdir -p "$corpus" "$fuzz_dir/artifacts" "$fuzz_dir/jobs"
        cp tests/fuzz/corpus/"$harness"/* "$corpus"/
        echo "fuzz_$harness: $seconds s, two jobs on a copy of tests/fuzz/corpus/$harness"
        # Two jobs, one per core, sharing the corpus; each writes fuzz-N.log where it runs.
        if ! (cd "$fuzz_dir/jobs" && "../tests/fuzz/fuzz_$harness" -jobs=2 -workers=2 \
            -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="../artifacts/$harness-" "../corpus/$harness") > "$log" 2>&1; then
            cat "$fuzz_dir"/jobs/fuzz-*.log >> "$log" 2>/dev/null || true
            grep -h -B5 -A40 -E "ERROR|picture:|coder:" "$fuzz_dir"/jobs/fuzz-*.log | tail -n 80
            echo "fuzz_$harness FAILED; the input is in $fuzz_dir/artifacts/ (full log: $log)." >&2
            echo "Add it to tests/fuzz/regressions/$harness/ and fix the fault." >&2
            exit 1
        fi
        cat "$fuzz_dir"/jobs/fuzz-*.log >> "$log"
        runs="$(grep -h "stat::number_of_executed_units" "$fuzz_dir"/jobs/fuzz-*.log \
            | awk '{ total += $2 } END { print total + 0 }')"
        summaries+=("stage 3, fuzz_$harness: no crash; $runs executions in two jobs")
    done
    echo "Stage 3 took $((SECONDS - start)) s"
}

# Release with Debian's hardening flags, no tests or benchmarks; cpack writes the .deb into dist/.
# Arguments after "package" go to cmake, e.g. -DHUFFMAN_LAB_HOMEPAGE=https://...
build_package() {
    if [ ! -f "$package_dir/build.ninja" ] || [ $# -gt 0 ]; then
        (
            eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
            export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
            cmake -S . -B "$package_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
                -DHUFFMAN_LAB_BENCH=OFF "$@"
        )
    fi
    cmake --build "$package_dir"
    (cd "$package_dir" && cpack -G DEB)
    local version
    version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$package_dir/CPackConfig.cmake")
    deb=dist/huffman-lab_${version}_amd64.deb
    [ -f "$deb" ] || { echo "cpack wrote no $deb" >&2; exit 1; }
}

stage_package() {
    stage "Stage 4/5: Debian package ($package_dir)"
    local start=$SECONDS
    build_package
    local log="$package_dir/check_deb.log"
    tests/package/check_deb.sh "$deb" | tee "$log"
    summaries+=("stage 4, $(tail -n 1 "$log") ($deb)")
    echo "Stage 4 took $((SECONDS - start)) s"
}

# The Windows build: Qt from the cache (built first if it is not there), the program and the key
# tool cross-built in Release mode, then the install tree zipped and wrapped in the installer.
# With "tests", the tests are built as well (they run under wine through CTest's emulator).
build_windows() {
    local qt
    qt=$(packaging/windows/build-qt.sh "$windows_dir/qt-work" | tail -n 1)
    export HUFFMAN_LAB_WINDOWS_QT=$qt
    configure "$windows_dir" windows
    if [ "${1:-}" = tests ]; then
        cmake --build "$windows_dir"
    else
        cmake --build "$windows_dir" --target huffman-lab huffman-lab-key
    fi
    local version stage
    version=$(cat "$windows_dir/version.txt")
    stage=$windows_dir/stage/huffman-lab-$version
    rm -rf "$windows_dir/stage"
    cmake --install "$windows_dir" --prefix "$stage" > /dev/null
    # Debian's MinGW runtime and the Qt build keep their debugging sections: 40 MB a lab PC does
    # not need.
    find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
    mkdir -p dist
    zip_file=dist/huffman-lab-$version-windows-x64.zip
    setup_file=dist/huffman-lab-$version-windows-x64-setup.exe
    rm -f "$zip_file" "$setup_file"
    (cd "$windows_dir/stage" && zip -q -r -9 "$OLDPWD/$zip_file" "huffman-lab-$version")
    makensis -V2 -DVERSION="$version" -DSTAGE="$(pwd)/$stage" -DOUTFILE="$(pwd)/$setup_file" \
        -DICON="$(pwd)/resources/icons/images/QuarnelClass.ico" packaging/windows/installer.nsi
    [ -s "$setup_file" ] || { echo "makensis wrote no $setup_file" >&2; exit 1; }
}

stage_windows() {
    stage "Stage 5/5: Windows (mingw-w64, wine) ($windows_dir)"
    local start=$SECONDS
    build_windows tests
    # The build's own wine prefix, made before the first test so that no test pays for it.
    WINEPREFIX=$(pwd)/$windows_dir/wine packaging/windows/wine-run.sh wineboot --init \
        > /dev/null 2>&1 || true
    # One test at a time: two wine processes starting together in one fresh prefix can stall.
    run_ctest "$windows_dir" "stage 5, Windows tests under wine" 1
    local log="$windows_dir/check_windows.log"
    tests/package/check_windows.sh "$zip_file" "$setup_file" "$build_dir/keytool/huffman-lab-key" \
        | tee "$log"
    summaries+=("stage 5, $(tail -n 1 "$log") ($zip_file, $setup_file)")
    echo "Stage 5 took $((SECONDS - start)) s"
}

case "$mode" in
    run)
        exec "$build_dir/app/huffman-lab" ;;
    build)
        ;;
    package)
        build_package "$@"
        echo "Package: $deb" ;;
    windows)
        build_windows
        echo "Portable: $zip_file ($(du -h "$zip_file" | cut -f1))"
        echo "Installer: $setup_file ($(du -h "$setup_file" | cut -f1))" ;;
    test)
        run_ctest "$build_dir" "stage 1, tests"
        echo "Stage 1 took $SECONDS s"
        stage_sanitize
        stage_fuzz
        stage_package
        stage_windows
        stage "Summary"
        printf '%s\n' "${summaries[@]}" ;;
    *)
        echo "usage: $0 run|test|build|package|windows" >&2
        exit 2 ;;
esac
