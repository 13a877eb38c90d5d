#!/bin/bash
# Fuzzes the page slicer with libFuzzer: arbitrary bytes as a marked package, every page and part written.
# Builds the target with clang (address and undefined-behaviour sanitizers) in a build folder of its
# own, seeds it with the hard cases and small marked packages, and runs it for SECONDS (default 60).
# Exits non-zero on a finding; its input is kept in BUILD/findings/ (replay: BUILD/slicer_fuzzer FILE).
# Usage: scripts/fuzz.sh [SECONDS]      (FOLIOKNIFE_FUZZ_BUILD_DIR: default build-fuzz/)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${FOLIOKNIFE_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
DURATION="${1:-60}"

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$ROOT/slicer/fuzz" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$BUILD_DIR"

seeds="$BUILD_DIR/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$BUILD_DIR/corpus" "$BUILD_DIR/findings" "$BUILD_DIR/tmp"
"$BUILD_DIR/slicer_fuzz_seeds" "$seeds"
cp "$ROOT"/tests/data/hard-cases/*.{odt,doc,docx} "$seeds/"

# The names the slicer looks for in the XML, and some of their values, for the fuzzer to write.
{
    grep -ohE '"(office|style|text|table|draw|fo|svg|xlink|manifest):[a-z-]+"' "$ROOT"/slicer/src/*.{h,cpp} | sort -u
    printf '"%s"\n' paragraph char as-char page true auto left right none ooow: Pictures/ __folioknife_page_0002 __folioknife_heading_0001
} >"$BUILD_DIR/odf.dict"

# New inputs go to corpus/, which later runs start from; the pages are written under tmp/.
export TMPDIR="$BUILD_DIR/tmp"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
exec "$BUILD_DIR/slicer_fuzzer" -max_total_time="$DURATION" -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=10 \
    -dict="$BUILD_DIR/odf.dict" -artifact_prefix="$BUILD_DIR/findings/" -print_final_stats=1 \
    "$BUILD_DIR/corpus" "$seeds"
