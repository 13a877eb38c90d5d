#!/bin/bash
# lintian, pedantic, accepts the binary, debug and source packages: not a single tag, overrides
# (each with its reason beside it in debian/) aside.
# Usage: check-lintian.sh LINTIAN PACKAGE-DIR
set -uo pipefail
LINTIAN="$1"
shopt -s nullglob
packages=("$2"/folioknife_*.deb "$2"/folioknife-dbgsym_*.deb "$2"/folioknife_*.dsc)
((${#packages[@]} == 3)) || { echo "FAIL: want a .deb, a -dbgsym .deb and a .dsc in $2, found: ${packages[*]}"; exit 1; }
# lintian's own exit status follows its tags; the tags are judged here, its failures by status 2.
report="$("$LINTIAN" --pedantic --display-info --fail-on none "${packages[@]}" 2>"$2/lintian.stderr")"
status=$?
echo "$report"
((status == 0)) || { cat "$2/lintian.stderr"; echo "FAIL: lintian exited with $status"; exit 1; }
! grep -qE '^[A-Z]: ' <<<"$report"
