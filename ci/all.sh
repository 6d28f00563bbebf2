#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The release checks (./build.sh ci), after ./build.sh test has built build/: two queues side by
# side, one per core, each line of output marked with its queue:
#   [windows]  Qt for Windows (built once, then cached), the Windows build with its tests, the
#              suite under wine one test at a time, the zip and the installer (ci/stage-windows.sh)
#   [linux]    sanitizers, fuzzing, the .deb, the portable folder (ci/stage-*.sh)
# and, from the start, the Debian 12 root of the folder's check fetched in the background
# (network-bound). The Windows queue is the longer one and leaves a core idle while its tests
# run one at a time; the Linux stages fill it. A failed stage fails the run; both queues finish.
set -uo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
mkdir -p "$build_dir"
export HUFFMAN_LAB_SUMMARY
HUFFMAN_LAB_SUMMARY=$(realpath "$build_dir")/ci-summary.txt
: > "$HUFFMAN_LAB_SUMMARY"
start=$SECONDS

queue() { # queue NAME STAGE...: the stages one after another; stops at the first that fails
    local name=$1 stage_script
    shift
    for stage_script in "$@"; do
        local stage_start=$SECONDS
        if ! "ci/stage-$stage_script.sh"; then
            echo "stage $stage_script FAILED after $((SECONDS - stage_start)) s"
            summary "[$name] stage $stage_script FAILED"
            return 1
        fi
        summary "[$name] stage $stage_script: $((SECONDS - stage_start)) s"
    done
}
marked() { sed -u "s/^/[$1] /"; }

tests/package/debian-root.sh > "$build_dir/debian-root.log" 2>&1 &
root_job=$!
queue windows windows 2>&1 | marked windows &
windows_job=$!
queue linux sanitizers fuzz deb bundle 2>&1 | marked linux
linux_status=${PIPESTATUS[0]}
wait "$windows_job"
windows_status=$?
wait "$root_job" || true

stage "Summary ($((SECONDS - start)) s)"
cat "$HUFFMAN_LAB_SUMMARY"
[ "$linux_status" -eq 0 ] && [ "$windows_status" -eq 0 ]
