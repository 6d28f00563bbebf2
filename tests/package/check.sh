# SPDX-License-Identifier: GPL-3.0-or-later
# The harness of the package checks (check_deb.sh, check_windows.sh, check_bundle.sh), sourced:
#   check NAME COMMAND...   runs COMMAND, reports "ok:" or "FAIL:" with its output, counts it
#   check_summary KIND      prints "KIND: N passed, N failed" and fails when one did
# $scratch is the check's scratch folder, made here and removed on exit; a check that needs more
# on exit sets its own trap and removes $scratch there. $source_dir is the source tree, $title the
# program window's title, which the checks wait for.
# shellcheck disable=SC2034 # used by the scripts that source this one
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck disable=SC2034
title="Лабораторная работа №__ Эффективное кодирование и цифровое представление изображений"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0
check() {
    local name=$1
    shift
    if "$@" > "$scratch/out" 2>&1; then
        passed=$((passed + 1))
        echo "ok:   $name"
    else
        failed=$((failed + 1))
        echo "FAIL: $name"
        sed 's/^/      /' "$scratch/out"
    fi
}
check_summary() {
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
