#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzz stage: the two harnesses built with clang (build-fuzz, preset fuzz), each run for
# FUZZ_SECONDS (default 60 when CI=true, else 10) by tests/fuzz/run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
stage "fuzz harnesses ($fuzz_dir)"
start=$SECONDS
configure "$fuzz_dir" fuzz
cmake --build "$fuzz_dir" --target fuzz_picture fuzz_coder
seconds=${FUZZ_SECONDS:-}
if [ -z "$seconds" ]; then
    if [ "${CI:-}" = true ]; then seconds=60; else seconds=10; fi
fi
sanitizer_environment
tests/fuzz/run.sh "$fuzz_dir" "$seconds" "${HUFFMAN_LAB_SUMMARY:-/dev/null}"
echo "Fuzz stage took $((SECONDS - start)) s"
