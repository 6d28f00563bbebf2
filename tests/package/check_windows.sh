#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Windows files as a lab PC meets them, under wine in a wine prefix of its own: the
# portable zip holds every DLL and plugin the programs load (nothing from the build's Qt), its key
# tool answers from a folder whose path has Cyrillic letters and spaces, and its picture summaries
# equal the Linux build's; the installer installs silently, the installed program opens its real
# window on a virtual display and closes with exit code 0, and the uninstaller removes it all.
#   tests/package/check_windows.sh ZIP SETUP.EXE LINUX_KEY_TOOL
# Needs wine, unzip, x86_64-w64-mingw32-objdump, cjpeg, xvfb-run and python3.
set -uo pipefail
zip=$(realpath "$1")
setup=$(realpath "$2")
linux_key=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
title="Лабораторная работа №__ Эффективное кодирование и цифровое представление изображений"

scratch=$(mktemp -d)
trap 'WINEPREFIX=$scratch/wine wineserver -k 2> /dev/null; rm -rf "$scratch"' EXIT
export WINEPREFIX=$scratch/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8
unset WINEPATH
passed=0
failed=0
check() { # check NAME COMMAND...: runs COMMAND, counts and reports it
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

echo "Zip: $zip ($(du -h "$zip" | cut -f1)), installer: $setup ($(du -h "$setup" | cut -f1))"
wineboot --init > /dev/null 2>&1
wineserver -w

# A lab PC's folder: Cyrillic letters and spaces.
folder="$scratch/Мои документы/huffman lab"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"
top=$(ls "$folder")
app="$folder/$top"
for path in huffman-lab.exe huffman-lab-key.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    Qt6PrintSupport.dll plugins/platforms/qwindows.dll plugins/styles/qwindowsvistastyle.dll \
    plugins/imageformats/qjpeg.dll plugins/imageformats/qico.dll translations/qtbase_ru.qm \
    qt.conf LICENSE.txt README.txt licenses/qt/QT-BUILD.txt licenses/qt/qt-flags.txt \
    licenses/pictures/COPYRIGHT.txt licenses/pictures/CC0-1.0.txt; do
    check "the zip holds $path" test -s "$app/$path"
done
check "the zip holds Qt's licence texts" bash -c 'ls "$1"/licenses/qt/LGPL-3.0*' sh "$app"

# Every DLL a program or plugin of the zip imports is in the zip or is part of Windows: a DLL of
# Windows' own (as wine installs them) or an API set (api-ms-win-*, which the loader maps).
imports_resolve() {
    local missing=0 file dll
    while IFS= read -r -d '' file; do
        while read -r dll; do
            case ${dll,,} in api-ms-win-* | ext-ms-win-*) continue ;; esac
            if [ -z "$(find "$app" -maxdepth 1 -iname "$dll")" ] &&
                [ -z "$(find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll")" ]; then
                echo "${file#"$app"/} imports $dll, which is neither in the zip nor in Windows"
                missing=1
            fi
        done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
    done < <(find "$app" \( -iname '*.exe' -o -iname '*.dll' \) -print0)
    return $missing
}
check "every DLL the programs and plugins import is in the zip or in Windows" imports_resolve

key_answer() { [ "$(wine "$app/huffman-lab-key.exe" name "Мама Мыла Раму" )" = "0,3,0,4" ]; }
check "the unzipped huffman-lab-key.exe: \"Мама Мыла Раму\" gives 0,3,0,4" key_answer

# The built-in pictures and a photo (a JPEG, so the JPEG plugin is used): the same figures.
cjpeg -quality 85 "$source_dir/resources/images/images/barbara.bmp" > "$scratch/photo.jpg"
same_summary() {
    diff <("$linux_key" picture "$1" --summary) \
         <(wine "$app/huffman-lab-key.exe" picture "$1" --summary )
}
for picture in "$source_dir"/resources/images/images/*.bmp "$scratch/photo.jpg"; do
    check "picture --summary of $(basename "$picture") equals the Linux build's" same_summary "$picture"
done

# The installer, silent, per machine.
installed="$WINEPREFIX/drive_c/Program Files/huffman-lab"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Эффективное кодирование изображений.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\huffman-lab'
install_silently() { wine "$setup" /S && wineserver -w && test -f "$installed/huffman-lab.exe"; }
check "setup.exe /S installs into Program Files" install_silently
same_tree() { diff -r -q -x uninstall.exe "$app" "$installed"; }
check "the installed files equal the zip's" same_tree
check "a Start-menu shortcut with a Russian name" test -s "$shortcut"
check "an uninstaller" test -s "$installed/uninstall.exe"
registered() { wine reg query "$uninstall_key" /v UninstallString | grep -q 'uninstall.exe'; }
check "the uninstaller is registered for \"Programs and Features\"" registered
# The wine server started by the console runs above has no display; the window needs a new one.
wineserver -k 2> /dev/null
wineserver -w
check "the installed huffman-lab.exe opens its window and closes with exit code 0" \
    xvfb-run -a -s "-screen 0 1280x1024x24" python3 "$here/../smoke/smoke.py" wine "$title" 60 \
    "$installed/huffman-lab.exe"
uninstall_silently() { wine "$installed/uninstall.exe" /S && sleep 1 && wineserver -w; }
check "uninstall.exe /S runs" uninstall_silently
check "the uninstaller removes the program's folder" test ! -e "$installed"
check "the uninstaller removes the shortcut" test ! -e "$shortcut"
unregistered() { ! wine reg query "$uninstall_key" > /dev/null 2>&1; }
check "the uninstaller removes its registry entry" unregistered

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
