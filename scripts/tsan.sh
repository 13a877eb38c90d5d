#!/bin/bash
# Builds the slicer's tests with ThreadSanitizer, in a build folder of their own, and runs them: pages
# are written on several threads from one slicer (see slicer/include/slicer/PackageSlicer.h), and any
# race the sanitizer sees fails the run. Run by hand; CI does not run it.
# Usage: scripts/tsan.sh [CTEST-ARGUMENT...]      (FOLIOKNIFE_TSAN_BUILD_DIR: default build-tsan/)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${FOLIOKNIFE_TSAN_BUILD_DIR:-$ROOT/build-tsan}"

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$BUILD_DIR" --target slicer_tests

cd "$BUILD_DIR"
# The C library guards its time zone state with a lock of its own, which the sanitizer does not see:
# libzip's date conversions on two threads look like a race in it, and are none.
cat >tsan-suppressions.txt <<'SUPPRESSIONS'
race:tzset_internal
SUPPRESSIONS
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$BUILD_DIR/tsan-suppressions.txt ${TSAN_OPTIONS:-}"
# The sanitizer's shadow memory does not fit every randomised address layout; without randomisation
# it always does.
exec setarch "$(uname -m)" --addr-no-randomize ctest --output-on-failure -R '^slicer_tests$' "$@"
