#!/bin/bash
# Builds the Debian packages from the build folder into PACKAGE-DIR, for the package checks.
# Usage: build-deb.sh BUILD-DIR PACKAGE-DIR
set -euo pipefail
BUILD_DIR="$1"
PACKAGE_DIR="$2"
rm -rf "$PACKAGE_DIR"
mkdir -p "$PACKAGE_DIR"
# A group-writable umask, as many builders have: a folder or file whose mode follows the umask instead
# of the install rules shows up in the checks.
umask 0002
(cd "$BUILD_DIR" && cpack -G DEB -B "$PACKAGE_DIR" >"$PACKAGE_DIR/cpack.log" 2>&1) ||
    { cat "$PACKAGE_DIR/cpack.log"; exit 1; }
