#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the screenshots in docs/ (offscreen, no display needed).
#   scripts/screenshots.sh            build dir: build/ (or $BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

[ -f "$build_dir/build.ninja" ] || cmake --preset default -B "$build_dir"
cmake --build "$build_dir" --target screenshots
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build_dir/app/screenshots" docs
