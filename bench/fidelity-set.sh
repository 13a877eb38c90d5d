#!/bin/bash
# Splits every document of tests/data/hard-cases with a splitter and prints the fidelity figures.
# Usage: bench/fidelity-set.sh [--corpus] --splitter 'build/bin/folioknife-split -o {out} {in}' [--json FILE] [--keep]
#        ({in}: the document, {out}: an empty folder for its pages; FIDELITY_CASES overrides the folder;
#        --corpus measures the public real documents beside the repository, read where they are)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
# Debian's python3, which sees python3-numpy and python3-pil.
PYTHON="${PYTHON:-$(command -v /usr/bin/python3 || command -v python3)}"
CASES="${FIDELITY_CASES:-$ROOT/tests/data/hard-cases}"
if [[ "${1:-}" == --corpus ]]; then
    shift
    CASES="$ROOT/../shared/corpus"
    [[ -d "$CASES" ]] || { echo "fidelity-set: no corpus at $CASES" >&2; exit 2; }
fi
exec "$PYTHON" "$ROOT/bench/fidelity.py" --set "$CASES" "$@"
