#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Adds the portable folder's program to the user's menu of applications: writes
# ~/.local/share/applications/huffman-lab.desktop with this folder's path in it. Run again after
# moving the folder.
set -eu
folder=$(cd "$(dirname "$0")" && pwd)
applications=${XDG_DATA_HOME:-$HOME/.local/share}/applications
mkdir -p "$applications"
sed -e "s|^Exec=.*|Exec=\"$folder/huffman-lab\"|" \
    -e "s|^Icon=.*|Icon=$folder/share/icons/hicolor/256x256/apps/huffman-lab.png|" \
    "$folder/share/applications/huffman-lab.desktop" > "$applications/huffman-lab.desktop"
echo "$applications/huffman-lab.desktop"
