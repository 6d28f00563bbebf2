#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: a Release build with Debian's hardening flags (build-package, preset
# package), no tests or benchmarks; cpack writes dist/huffman-lab_VERSION_amd64.deb.
#   ci/deb.sh [-Doption...]   the options go to cmake, e.g. -DHUFFMAN_LAB_HOMEPAGE=https://...
set -euo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
build_release "$@"
(cd "$package_dir" && cpack -G DEB)
deb=dist/huffman-lab_$(project_version)_amd64.deb
[ -f "$deb" ] || { echo "cpack wrote no $deb" >&2; exit 1; }
echo "Package: $deb"
