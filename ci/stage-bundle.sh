#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The portable folder's stage: the folder built (packaging/linux/bundle.sh) and checked in a
# Debian 12 root without Qt (tests/package/check_bundle.sh), against the Linux build's key tool.
set -euo pipefail
cd "$(dirname "$0")/.."
. ci/lib.sh
stage "Linux folder in a Debian 12 root without Qt ($bundle_dir)"
start=$SECONDS
packaging/linux/bundle.sh
tarball=dist/huffman-lab-$(project_version)-linux-x64.tar.gz
log="$bundle_dir/check_bundle.log"
tests/package/check_bundle.sh "$tarball" "$build_dir/keytool/huffman-lab-key" \
    "$bundle_dir/window.png" | tee "$log"
summary "$(tail -n 1 "$log") ($tarball, $(du -h "$tarball" | cut -f1))"
echo "Folder stage took $((SECONDS - start)) s"
