#!/bin/bash
# The manual page formats without a single warning.
set -euo pipefail
warnings="$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$1" 2>&1)"
[[ -z "$warnings" ]] || { echo "$warnings"; exit 1; }
