#!/bin/bash
# The bash completion offers the options, the methods, the formats, folders after -o and documents as inputs.
# Usage: check-completion.sh COMPLETION-FILE
set -uo pipefail
source "$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" && mkdir pages && touch report.odt LETTER.SXW notes.txt
failed=0
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _folioknife_split
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
expect() {
    local want="$1"
    shift
    local got
    got="$(complete_words "$@")"
    [[ "$got" == "$want" ]] || { echo "FAIL: $* -> '$got', want '$want'"; failed=1; }
}
expect "--jobs --json " folioknife-split --j
expect "copy slice " folioknife-split --method ""
expect "heading: " folioknife-split --at "h"
expect "docx odt pdf " folioknife-split --format ""
expect "--format " folioknife-split --fo
expect "pages " folioknife-split -o ""
expect "LETTER.SXW notes.txt pages report.odt " folioknife-split --json ""
expect "LETTER.SXW pages report.odt " folioknife-split ""
expect "" folioknife-split --pages ""
# Bash splits words at = and :, as its COMP_WORDBREAKS says.
expect "docx odt pdf " folioknife-split --format = ""
expect "pdf " folioknife-split --format = "p"
expect "1 10 2 3 4 5 6 7 8 9 " folioknife-split --at heading : ""
expect "1 10 " folioknife-split --at heading : "1"
expect "heading: page " folioknife-split --at ""
expect "always auto never " folioknife-split --progress ""
# After -- everything is an input, even what looks like an option.
expect "LETTER.SXW pages report.odt " folioknife-split -- ""
expect "" folioknife-split -- --j
complete -p folioknife-split >/dev/null || { echo "FAIL: not registered"; failed=1; }
exit $failed
