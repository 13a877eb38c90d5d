#!/bin/bash
# Sets up, builds and starts Folioknife.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "folioknife: no display available (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "folioknife: start it from a desktop session, or under a virtual one: xvfb-run $0" >&2
    exit 1
fi
exec "${FOLIOKNIFE_BUILD_DIR:-$ROOT/build}/bin/folioknife" "$@"
