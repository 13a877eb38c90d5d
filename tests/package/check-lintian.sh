#!/bin/bash
# lintian accepts the package and its debug package: no error and no warning, overrides aside.
# Usage: check-lintian.sh LINTIAN PACKAGE-DIR
set -uo pipefail
LINTIAN="$1"
shopt -s nullglob
packages=("$2"/*.deb "$2"/*.ddeb)
((${#packages[@]} == 2)) || { echo "FAIL: want a .deb and a .ddeb in $2, found: ${packages[*]}"; exit 1; }
# lintian's own exit status follows its tags; the tags are judged here, its failures by status 2.
report="$("$LINTIAN" --fail-on none "${packages[@]}" 2>"$2/lintian.stderr")"
status=$?
echo "$report"
((status == 0)) || { cat "$2/lintian.stderr"; echo "FAIL: lintian exited with $status"; exit 1; }
! grep -q '^[EW]: ' <<<"$report"
