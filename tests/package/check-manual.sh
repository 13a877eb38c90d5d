#!/bin/bash
# Each manual page formats without a single warning, and its title and NAME line are those of the
# program it is named after, so that man and whatis find it.
# Usage: check-manual.sh PAGE.SECTION...
set -uo pipefail
failed=0
for page in "$@"; do
    file="$(basename "$page")"
    name="${file%.*}"
    section="${file##*.}"
    warnings="$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)"
    [[ -z "$warnings" ]] || { echo "FAIL: $file: $warnings"; failed=1; }
    grep -q "^\.TH ${name^^} $section " "$page" || { echo "FAIL: $file: .TH is not ${name^^} $section"; failed=1; }
    grep -A1 '^\.SH NAME' "$page" | grep -q "^$name \\\\- " || { echo "FAIL: $file: NAME is not '$name \\- ...'"; failed=1; }
done
exit $failed
