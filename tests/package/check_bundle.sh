#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the portable Linux folder where Qt is absent: in a minimal Debian 12 root made by
# debootstrap (tests/package/debian-root.sh: no Qt, only what every desktop system has), the
# folder unpacked into a home folder whose path has Cyrillic letters and spaces; every library its
# programs and plugins load comes from the folder or from the list the folder leaves to the
# system; the key tool's answers and picture summaries equal the Linux build's; the window opens
# on the root's own Xvfb and closes with exit code 0; the menu entry is valid and installs.
#   tests/package/check_bundle.sh TARBALL LINUX_KEY_TOOL [SCREENSHOT.png]
# Needs root (chroot, mount), debootstrap, desktop-file-validate and python3.
# With SCREENSHOT, the window as it opens there is saved as a PNG.
set -uo pipefail
tarball=$(realpath "$1")
linux_key=$(realpath "$2")
screenshot=${3:+$(realpath "$3")}
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=tests/package/check.sh
. "$here/check.sh"
lower=$("$here/debian-root.sh" | tail -n 1) || { echo "no Debian root" >&2; exit 1; }
# The cached root stays as it is: the checks write into an overlay of it.
root=$scratch/root
mkdir -p "$root" "$scratch/upper" "$scratch/work"
cleanup() {
    if [ -n "${xvfb:-}" ]; then kill "$xvfb" 2> /dev/null; wait "$xvfb" 2> /dev/null; fi
    umount "$root/proc" 2> /dev/null
    umount "$root" 2> /dev/null
    # Never remove the scratch folder through a mount that is still there.
    if mountpoint -q "$root/proc" || mountpoint -q "$root"; then
        echo "check_bundle: $root is still mounted; left in place" >&2
    else
        rm -rf "$scratch"
    fi
}
trap cleanup EXIT
mount -t overlay overlay -o "lowerdir=$lower,upperdir=$scratch/upper,workdir=$scratch/work" "$root"
# The programs read /proc (Qt finds its folder through /proc/self/exe); /dev is the root's own.
mount -t proc proc "$root/proc"
inside() { chroot "$root" /usr/bin/env -i HOME="/home/student" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    DISPLAY="${display:-}" "$@"; }

echo "Folder: $tarball ($(du -h "$tarball" | cut -f1)); Debian root: $lower"
check "the root has no Qt library" bash -c '! compgen -G "$1/usr/lib/*/libQt*" && ! compgen -G "$1/lib/*/libQt*"' sh "$root"
check "the root's C library is glibc 2.36" bash -c 'chroot "$1" ldd --version | head -n 1 | grep "2\.36"' sh "$root"

home="/home/student/Мои документы/huffman lab"
mkdir -p "$root$home"
tar -xzf "$tarball" -C "$root$home"
top=$(ls "$root$home")
app="$home/$top"
for path in huffman-lab huffman-lab-key qt.conf lib/libQt6Core.so.6 lib/libQt6Gui.so.6 \
    lib/libQt6Widgets.so.6 lib/libQt6PrintSupport.so.6 lib/libQt6XcbQpa.so.6 \
    plugins/platforms/libqxcb.so plugins/imageformats/libqjpeg.so \
    plugins/printsupport/libcupsprintersupport.so translations/qtbase_ru.qm \
    share/applications/huffman-lab.desktop share/icons/hicolor/256x256/apps/huffman-lab.png \
    share/man/man1/huffman-lab.1.gz share/man/man1/huffman-lab-key.1.gz \
    share/doc/huffman-lab/guide.md share/doc/huffman-lab/copyright \
    LICENSE.txt README.txt install-menu-entry.sh licenses/PACKAGES.txt \
    licenses/libqt6core6.copyright; do
    check "the folder holds $path" test -s "$root$app/$path"
done
check "the folder holds no excluded library" bash -c '
    for name in $(sed -e "s/#.*//" "$1"); do [ ! -e "$2/lib/$name" ] || { echo "$name"; exit 1; }; done' \
    sh "$source_dir/packaging/linux/bundle-exclude.txt" "$root$app"

# Every ELF file of the folder, as the root's loader resolves it: nothing missing, Qt from the
# folder, and whatever comes from the system is on the list of what the folder leaves to it, or
# is loaded by a library on that list.
resolved() { # resolved FILE: "SONAME PATH" for each library the root's loader finds for FILE
    inside ldd "$1" | sed -n 's/^\s*\(\S*\) => \(.*\) (0x[0-9a-f]*)$/\1 \2/p; s/^\s*\(\S*\) => not found$/\1 not found/p'
}
resolves() {
    local file soname path status=0 excluded allowed
    excluded=$(sed -e 's/#.*//' -e '/^\s*$/d' "$source_dir/packaging/linux/bundle-exclude.txt")
    allowed=$excluded
    while IFS= read -r -d '' file; do
        file=${file#"$root"}
        while read -r soname path; do
            if [ "$path" = "not found" ]; then
                echo "$file: $soname not found"; status=1
            elif [[ $path != "$app"/* ]]; then
                if [[ $soname == libQt* ]]; then
                    echo "$file: $soname from the system ($path)"; status=1
                elif grep -qxF "$soname" <<< "$excluded"; then
                    allowed+=$'\n'$(resolved "$path" | cut -d' ' -f1)
                fi
            fi
        done < <(resolved "$file")
    done < <(find "$root$app" -type f \( -name '*.so*' -o -name 'huffman-lab' -o -name 'huffman-lab-key' \) -print0)
    while IFS= read -r -d '' file; do
        file=${file#"$root"}
        while read -r soname path; do
            if [[ $path != "$app"/* ]] && [ "$path" != "not found" ] && ! grep -qxF "$soname" <<< "$allowed"; then
                echo "$file: $soname from the system ($path), which the folder should carry"; status=1
            fi
        done < <(resolved "$file")
    done < <(find "$root$app" -type f \( -name '*.so*' -o -name 'huffman-lab' -o -name 'huffman-lab-key' \) -print0)
    return $status
}
check "every library the programs and plugins load is in the folder or on the system's list" resolves

key_answer() { [ "$(inside "$app/huffman-lab-key" name "Мама Мыла Раму")" = "0,3,0,4" ]; }
check "the key tool: \"Мама Мыла Раму\" gives 0,3,0,4" key_answer
mkdir -p "$root/tmp/pictures"
for picture in "$source_dir"/resources/images/images/*.bmp; do
    cp "$picture" "$root/tmp/pictures/"
    same_summary() {
        diff <("$linux_key" picture "$1" --summary) <(inside "$app/huffman-lab-key" picture "/tmp/pictures/$(basename "$1")" --summary)
    }
    check "picture --summary of $(basename "$picture") equals the Linux build's" same_summary "$picture"
done

# The root's own Xvfb; the check talks to it through its abstract socket.
display=:$((500 + RANDOM % 400))
chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin Xvfb "$display" -screen 0 1280x1024x24 \
    -nolisten tcp > "$scratch/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "$root/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.2; done
window() {
    DISPLAY=$display SMOKE_SCREENSHOT=$screenshot python3 "$here/../smoke/smoke.py" \
        chroot "$title" 30 "$root" /usr/bin/env -i HOME=/home/student PATH=/usr/bin:/bin \
        LANG=C.UTF-8 DISPLAY="$display" "$app/huffman-lab"
}
check "the window opens on the root's Xvfb and closes with exit code 0" window

check "desktop-file-validate" desktop-file-validate "$root$app/share/applications/huffman-lab.desktop"
menu_entry() {
    local entry
    entry=$(inside "$app/install-menu-entry.sh") &&
        grep -qxF "Exec=\"$app/huffman-lab\"" "$root$entry" &&
        desktop-file-validate "$root$entry"
}
check "install-menu-entry.sh writes a valid entry with the folder's path" menu_entry

check_summary bundle
