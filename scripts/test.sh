#!/bin/bash
# Sets up, builds and runs every test (unit and end-to-end with a real LibreOffice).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
cd "${FOLIOKNIFE_BUILD_DIR:-$ROOT/build}"
# Tests that need a real X server get one of their own; the rest run offscreen.
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 600 "$@"
