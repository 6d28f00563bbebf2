#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package stage: the .deb built (ci/deb.sh) and checked as a lab machine meets it
# (tests/package/check_deb.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
stage "Debian package ($package_dir)"
start=$SECONDS
ci/deb.sh
deb=dist/huffman-lab_$(project_version)_amd64.deb
log="$package_dir/check_deb.log"
tests/package/check_deb.sh "$deb" | tee "$log"
summary "$(tail -n 1 "$log") ($deb)"
echo "Package stage took $((SECONDS - start)) s"
