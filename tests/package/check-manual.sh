#!/bin/bash
# Each manual page formats without a single warning, and its title and NAME line are those of the
# program it is named after, so that man and whatis find it. It is dated, says which files it uses,
# and every page it refers to is one of these or installed here.
# Usage: check-manual.sh PAGE.SECTION...
set -uo pipefail
failed=0
ours=" "
for page in "$@"; do
    file="$(basename "$page")"
    ours+="${file%.*}(${file##*.}) "
done
for page in "$@"; do
    file="$(basename "$page")"
    name="${file%.*}"
    section="${file##*.}"
    warnings="$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)"
    [[ -z "$warnings" ]] || { echo "FAIL: $file: $warnings"; failed=1; }
    grep -q "^\.TH ${name^^} $section " "$page" || { echo "FAIL: $file: .TH is not ${name^^} $section"; failed=1; }
    grep -A1 '^\.SH NAME' "$page" | grep -q "^$name \\\\- " || { echo "FAIL: $file: NAME is not '$name \\- ...'"; failed=1; }
    grep -qE "^\.TH [^ ]+ $section \"[0-9]{4}-[0-9]{2}-[0-9]{2}\" " "$page" || { echo "FAIL: $file: .TH has no date"; failed=1; }
    grep -qx '\.SH FILES' "$page" || { echo "FAIL: $file: no FILES section"; failed=1; }
    # Installed, or known to dpkg where the image leaves manual pages out.
    while read -r ref ref_section; do
        [[ "$ours" == *" $ref($ref_section) "* ]] || man -w "$ref_section" "$ref" >/dev/null 2>&1 ||
            dpkg -S "/usr/share/man/man$ref_section/$ref.$ref_section.gz" >/dev/null 2>&1 ||
            { echo "FAIL: $file: SEE ALSO names $ref($ref_section), which is not installed"; failed=1; }
    done < <(sed -n '/^\.SH SEE ALSO/,/^\.SH/s/^\.BR \([^ ]*\) (\([0-9]\)).*/\1 \2/p' "$page")
done
exit $failed
