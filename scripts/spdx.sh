#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The licence line at the top of every source file:
#   scripts/spdx.sh --check   lists the files without it; fails if there is any
#   scripts/spdx.sh --add     adds it where it is missing (after a #! line or an <?xml ... ?>
#                             declaration), and leaves every other file as it is
# Source files: C++ (.cpp, .h), CMake (CMakeLists.txt, .cmake), shell and Python scripts (also a
# script without an extension that starts with #!), Qt forms and resource lists (.ui, .qrc) and
# man page sources (.1.in). In a git checkout the files are git's, tracked or new but not ignored.
set -euo pipefail
cd "$(dirname "$0")/.."

licence=GPL-3.0-or-later
tag="SPDX-License-Identifier: $licence"

usage() {
    echo "usage: $0 --check | --add" >&2
    exit 2
}
[ $# -eq 1 ] || usage
mode=$1
[ "$mode" = --check ] || [ "$mode" = --add ] || usage

candidates() {
    if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard
    else
        find . -path './build*' -prune -o -path ./.git -prune -o -type f -print0 | sed -z 's#^\./##'
    fi
}

# The comment form for a file, or nothing when it is no source file.
comment_of() {
    local path=$1 name
    name=$(basename "$path")
    case "$name" in
        *.cpp | *.h) echo "// $tag" ;;
        CMakeLists.txt | *.cmake | *.sh | *.py) echo "# $tag" ;;
        *.ui | *.qrc) echo "<!-- $tag -->" ;;
        *.1.in) echo ".\\\" $tag" ;;
        *.*) ;;
        *) if head -c 2 "$path" | grep -q '^#!'; then echo "# $tag"; fi ;;
    esac
}

has_line() { head -n 5 "$1" | grep -qF "SPDX-License-Identifier:"; }

# After a first line that must stay first (#!, <?xml), else at the very top.
add_line() {
    local path=$1 comment=$2 first
    first=$(head -n 1 "$path")
    {
        if [[ $first == '#!'* || $first == '<?xml'* ]]; then
            printf '%s\n%s\n' "$first" "$comment"
            tail -n +2 "$path"
        else
            printf '%s\n' "$comment"
            cat "$path"
        fi
    } > "$path.spdx-new"
    chmod --reference="$path" "$path.spdx-new"
    mv "$path.spdx-new" "$path"
}

missing=0
while IFS= read -r -d '' path; do
    [ -f "$path" ] || continue
    comment=$(comment_of "$path")
    [ -n "$comment" ] || continue
    has_line "$path" && continue
    if [ "$mode" = --add ]; then
        add_line "$path" "$comment"
        echo "added: $path"
    else
        echo "no licence line: $path"
        missing=$((missing + 1))
    fi
done < <(candidates)

if [ "$mode" = --check ]; then
    if [ "$missing" -gt 0 ]; then
        echo "$missing source files lack the line \"$tag\"; run scripts/spdx.sh --add" >&2
        exit 1
    fi
    echo "every source file carries \"$tag\""
fi
