#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Windows files as a lab PC meets them, under wine in a wine prefix of its own: the
# portable zip holds every DLL and plugin the programs load (nothing from the build's Qt), its key
# tool answers from a folder whose path has Cyrillic letters and spaces, and its picture summaries
# equal the Linux build's; the installer installs silently, the installed program opens its real
# window on a virtual display and closes with exit code 0, and the uninstaller removes it all; on
# Windows 7 and 8.1 the installer refuses and installs nothing.
# At 150 % scaling (144 DPI) the window is drawn 1.5 times larger and fits on a full-HD screen.
#   tests/package/check_windows.sh ZIP SETUP.EXE LINUX_KEY_TOOL [SCREENSHOT_150.png]
# Needs wine, unzip, x86_64-w64-mingw32-objdump, cjpeg, xvfb-run and python3.
set -uo pipefail
zip=$(realpath "$1")
setup=$(realpath "$2")
linux_key=$(realpath "$3")
screenshot_150=${4:+$(realpath "$4")}
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=tests/package/check.sh
. "$here/check.sh"
trap 'WINEPREFIX=$scratch/wine wineserver -k 2> /dev/null; rm -rf "$scratch"' EXIT
export WINEPREFIX=$scratch/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8
unset WINEPATH
# The release checks run this beside the sanitizer suite, whose window tests take displays from
# :99 up (xvfb-run -a); these take theirs from :200 up, so the two never race for one.

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
# On Windows 7 and 8.1 (as wine reports them after winecfg -v) the installer refuses: exit code 1,
# nothing installed, nothing registered.
refuses_on() {
    winecfg -v "$1" && wineserver -w || return 1
    wine "$setup" /S
    local code=$?
    wineserver -w
    winecfg -v win10 && wineserver -w
    echo "exit code $code"
    [ "$code" -eq 1 ] && [ ! -e "$installed" ] && ! wine reg query "$uninstall_key" > /dev/null 2>&1
}
check "setup.exe /S on Windows 7 refuses with exit code 1 and installs nothing" refuses_on win7
check "setup.exe /S on Windows 8.1 refuses with exit code 1 and installs nothing" refuses_on win81
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
    xvfb-run -a -n 200 -s "-screen 0 1280x1024x24" python3 "$here/../smoke/smoke.py" wine "$title" 60 \
    "$installed/huffman-lab.exe"
# 150 % scaling, as on a full-HD laptop or lab monitor: 144 DPI (LogPixels) on a 1920 x 1080
# screen. Qt draws the window at that scale itself (the program is DPI-aware; wine stretches no
# bitmaps either), so it comes out about 1.5 times its size at 96 DPI, sharp, and fits.
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f &&
        wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
            /v LogPixels /t REG_DWORD /d "$1" /f && wineserver -k 2> /dev/null; wineserver -w
}
window_at() { # window_at DPI [SCREENSHOT]: the installed window's "smoke: window W x H ..." line
    set_dpi "$1" > /dev/null 2>&1
    SMOKE_SCREENSHOT=${2:-} xvfb-run -a -n 200 -s "-screen 0 1920x1080x24" python3 "$here/../smoke/smoke.py" wine "$title" 60 \
        "$installed/huffman-lab.exe" > "$scratch/window-$1" 2>&1
    local code=$?
    cat "$scratch/window-$1"
    wineserver -k 2> /dev/null
    wineserver -w
    return $code
}
check "the window at 96 DPI on a 1920 x 1080 screen" window_at 96
check "the window at 144 DPI (150 %) opens and closes with exit code 0" \
    window_at 144 "$screenshot_150"
set_dpi 96 > /dev/null 2>&1
scaled_and_fits() {
    python3 - "$scratch/window-96" "$scratch/window-144" <<'PYTHON'
import re, sys
def geometry(path):
    m = re.search(r"window (\d+) x (\d+) at (-?\d+),(-?\d+) on a (\d+) x (\d+) screen", open(path).read())
    return tuple(int(g) for g in m.groups())
w1, h1, _, _, _, _ = geometry(sys.argv[1])
w, h, x, y, sw, sh = geometry(sys.argv[2])
print(f"96 DPI: {w1} x {h1}; 144 DPI: {w} x {h} at {x},{y} on {sw} x {sh}")
assert 1.3 <= w / w1 <= 1.7 and 1.3 <= h / h1 <= 1.7, "not drawn at about 1.5 times"
assert x >= 0 and y >= 0 and x + w <= sw and y + h <= sh, "does not fit on the screen"
PYTHON
}
check "at 150 % the window is drawn 1.5 times larger and fits on the screen" scaled_and_fits
uninstall_silently() { wine "$installed/uninstall.exe" /S && sleep 1 && wineserver -w; }
check "uninstall.exe /S runs" uninstall_silently
check "the uninstaller removes the program's folder" test ! -e "$installed"
check "the uninstaller removes the shortcut" test ! -e "$shortcut"
unregistered() { ! wine reg query "$uninstall_key" > /dev/null 2>&1; }
check "the uninstaller removes its registry entry" unregistered

check_summary windows
