#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a program of the Windows build under wine, as CTest's emulator and by hand:
#   packaging/windows/wine-run.sh PROGRAM.exe [ARGUMENTS...]
# HUFFMAN_LAB_WINDOWS_QT names the bundled Qt (its bin/ goes on the DLL path with the MinGW
# runtime); WINEPREFIX defaults to a prefix of the build's own. Wine hands a Windows program no
# QT_* variable of its own, but passes WINEQT_X on as QT_X: every QT_ variable is passed so, which
# keeps CTest's QT_QPA_PLATFORM=offscreen. The offscreen platform gets DejaVu as its fonts.
set -euo pipefail
: "${HUFFMAN_LAB_WINDOWS_QT:?names the prefix of the bundled Qt}"
export WINEPREFIX=${WINEPREFIX:-${HUFFMAN_LAB_WINEPREFIX:-$HOME/.cache/huffman-lab/wineprefix}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LANG=${LANG:-C.UTF-8}
[ "$LANG" = C ] && export LANG=C.UTF-8
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPATH="$(winpath "$HUFFMAN_LAB_WINDOWS_QT/bin");$(winpath "$runtime");$(winpath /usr/x86_64-w64-mingw32/lib)"
while IFS='=' read -r name value; do
    case $name in QT_*) export "WINE$name=$value" ;; esac
done < <(env)
# Qt Test and qDebug write to the console only when told (else to the debugger).
export WINEQT_FORCE_STDERR_LOGGING=${WINEQT_FORCE_STDERR_LOGGING:-1}
export WINEQT_QPA_FONTDIR=${WINEQT_QPA_FONTDIR:-$(winpath /usr/share/fonts/truetype/dejavu)}
exec wine "$@"
