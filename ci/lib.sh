# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by build.sh and the stage scripts beside this file: the Debian packages each command
# needs, installing the missing ones, configuring a build folder from CMakePresets.json, and the
# banner and summary of a stage. Expects the working directory to be the source tree.

build_dir=${BUILD_DIR:-build}
asan_dir=${build_dir}-asan
fuzz_dir=${build_dir}-fuzz
package_dir=${build_dir}-package
windows_dir=${build_dir}-windows
bundle_dir=${build_dir}-bundle

# packages_for COMMAND: the Debian packages COMMAND needs, one a line.
packages_for() {
    # Every command: the compiler, Qt, libjpeg (analysis/jpegdecoder.h decodes JPEG files
    # directly), Qt's private headers (its zip writer and reader, for ODT files), the window's
    # fonts (DejaVu Sans Condensed; Liberation Serif in the report's PDF) and Qt's Russian texts.
    printf '%s\n' g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools \
        qt6-base-private-dev libgl-dev libjpeg-dev fonts-dejavu-core fonts-dejavu-extra \
        fonts-liberation2 qt6-translations-l10n xvfb xauth
    case $1 in
        test | ci)
            # The suite: python3 drives the smoke test of the real window, desktop-file-validate
            # checks the menu entry, the accessibility check reads the window over the AT-SPI bus
            # in a D-Bus session of its own; documents the program writes are opened by
            # LibreOffice and its PDFs read with pdftotext.
            printf '%s\n' python3 desktop-file-utils dbus-daemon at-spi2-core python3-pyatspi \
                libreoffice-writer-nogui poppler-utils ;;
    esac
    case $1 in
        ci)
            # clang builds the fuzz harnesses (libFuzzer: install_libfuzzer); appstreamcli and
            # lintian check the .deb; patchelf gives the portable folder's files their run
            # path; debootstrap makes the Qt-less Debian root it is tested in.
            printf '%s\n' clang appstream lintian patchelf debootstrap ;;
    esac
    case $1 in
        # The .deb and the folder: dpkg-shlibdeps (dpkg-dev) computes the package's dependencies,
        # on the executables CPack finds with file.
        package | bundle | ci) printf '%s\n' dpkg-dev file ;;
    esac
    case $1 in
        bundle) printf '%s\n' patchelf ;;
    esac
    case $1 in
        # Windows: Debian's mingw-w64 (posix threads) builds Qt from Debian's qt6-base source
        # package (dpkg-source unpacks it; Wine's headers stand in for the Wintab ones the repack
        # drops; Debian's own moc, rcc and uic serve as the host tools) and then the program;
        # wine runs the tests, NSIS writes the installer, zip the portable folder; the check runs
        # the installed window under Xvfb and makes a JPEG with cjpeg.
        windows | ci)
            printf '%s\n' g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
                mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 dpkg-dev perl libwine-dev wine \
                wine64 nsis zip unzip python3 libjpeg-turbo-progs nasm ;;
    esac
}

as_root() {
    if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

# install_missing PACKAGE...: apt-get installs those not installed; nothing when all are.
install_missing() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# libFuzzer, from whichever package the release ships it in (libclang-rt-N-dev on Debian 12,
# libclang-common-N-dev on older Ubuntu).
install_libfuzzer() {
    [ -f "$(clang++ -print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ] && return 0
    echo "Installing libFuzzer"
    local major
    major=$(clang++ -dumpversion | cut -d. -f1)
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "libclang-rt-$major-dev" || as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "libclang-common-$major-dev"
}

# configure DIR PRESET [-Doption...]: through CMakePresets.json, as an IDE configures; a
# configured folder is configured again only when options are given. CMAKE_CXX_COMPILER_LAUNCHER
# in the environment (ccache) is taken on the first configure.
configure() {
    local dir=$1 preset=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
        cmake --preset "$preset" -B "$dir" "$@"
    fi
}

stage() {
    echo
    echo "==================== $* ===================="
}

# summary LINE: one line for the summary that build.sh ci prints at the very end.
summary() {
    echo "$*" >> "${HUFFMAN_LAB_SUMMARY:-/dev/null}"
}

# run_ctest DIR LABEL [JOBS]: the suite of DIR; its closing lines go to the summary.
run_ctest() {
    local dir=$1 label=$2 jobs=${3:-$(nproc)} log
    log="$dir/ctest-summary.log"
    (cd "$dir" && ctest --output-on-failure -j"$jobs") | tee "$log"
    local status=${PIPESTATUS[0]}
    grep -E "tests passed|Total Test time" "$log" | sed "s/^/$label: /" \
        >> "${HUFFMAN_LAB_SUMMARY:-/dev/null}"
    return "$status"
}

# The sanitizers' settings, for the sanitizer suite and the fuzzers.
sanitizer_environment() {
    export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0
}

# The version of the source tree, from project(huffman-lab VERSION ...) in CMakeLists.txt.
project_version() {
    sed -n 's/^project(huffman-lab VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}

# build_release [-Doption...]: the Release build of the .deb and the portable folder
# (build-package, preset package) with Debian's hardening flags, configured on its first run or
# when options are given.
build_release() {
    if [ ! -f "$package_dir/build.ninja" ] || [ $# -gt 0 ]; then
        (
            eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
            export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
            cmake --preset package -B "$package_dir" "$@"
        )
    fi
    cmake --build "$package_dir"
}
