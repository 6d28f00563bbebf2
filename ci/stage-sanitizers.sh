#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sanitizer stage: everything built with AddressSanitizer and UBSan (build-asan, preset
# sanitizers) and the whole suite run there; any report fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
stage "AddressSanitizer + UBSan build and tests ($asan_dir)"
start=$SECONDS
configure "$asan_dir" sanitizers
cmake --build "$asan_dir"
sanitizer_environment
run_ctest "$asan_dir" "sanitizers"
echo "Sanitizer stage took $((SECONDS - start)) s"
