#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the two fuzz harnesses of a fuzz build, each for SECONDS in two jobs (one per core) sharing
# a fresh copy of its seed corpus (tests/fuzz/corpus/HARNESS); each job logs to fuzz-N.log.
#   tests/fuzz/run.sh BUILD_DIR SECONDS [SUMMARY_FILE]
# A crash, a hang (10 s), a leak or a broken property stops it with exit code 1 and leaves the
# input in BUILD_DIR/artifacts/. Set the sanitizers' options first (ci/lib.sh:
# sanitizer_environment).
set -euo pipefail
cd "$(dirname "$0")/../.."
fuzz_dir=$1
seconds=$2
summary_file=${3:-/dev/null}

for harness in picture coder; do
    corpus="$fuzz_dir/corpus/$harness"
    log="$fuzz_dir/fuzz_$harness.log"
    rm -rf "$corpus" "$fuzz_dir/jobs"
    mkdir -p "$corpus" "$fuzz_dir/artifacts" "$fuzz_dir/jobs"
    cp tests/fuzz/corpus/"$harness"/* "$corpus"/
    echo "fuzz_$harness: $seconds s, two jobs on a copy of tests/fuzz/corpus/$harness"
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
    echo "fuzz_$harness: no crash; $runs executions in two jobs" | tee -a "$summary_file"
done
