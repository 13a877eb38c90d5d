#!/bin/bash
# Sets up, builds and runs the split benchmarks: a table on the terminal, the figures as JSON.
# Usage: scripts/bench.sh [--json FILE] [--quick] [--only slicer|pdf|pdf_pipeline|throughput|office_memory|jobs|progress|docx]
#        (default FILE: build/bench-results.json)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${FOLIOKNIFE_BUILD_DIR:-$ROOT/build}"
# python3-uno runs the reference script that the split run is measured against; python3-numpy and
# python3-pil compare page images in bench/fidelity.py; qpdf splits the office's PDF as a user's script
# would, which --format pdf is measured against.
"$ROOT/scripts/setup.sh" python3-uno python3-numpy python3-pil qpdf
cd "$BUILD_DIR"
exec env QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/folioknife_bench" \
    --reference "$ROOT/bench/reference_split.py" --json "$BUILD_DIR/bench-results.json" "$@"
