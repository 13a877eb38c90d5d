#!/bin/bash
# Builds the source package and the binary packages with dpkg-buildpackage into PACKAGE-DIR, for the
# package checks. The build runs on a copy of the working tree (tracked and new files, as git sees
# them), never in the source folder itself: a package build cleans and writes into its tree.
# Usage: build-deb.sh SOURCE-DIR PACKAGE-DIR
set -euo pipefail
SOURCE_DIR="$1"
PACKAGE_DIR="$2"
rm -rf "$PACKAGE_DIR"
# Always the same folder: the compiler cache only hits when the paths in the command lines match.
TREE="$PACKAGE_DIR/folioknife"
mkdir -p "$TREE"
# A group-writable umask, as many builders have: a folder or file whose mode follows the umask
# instead of the install rules shows up in the checks.
umask 0002
git -C "$SOURCE_DIR" ls-files -z --cached --others --exclude-standard |
    (cd "$SOURCE_DIR" && while IFS= read -r -d '' file; do
        [[ -e "$file" || -L "$file" ]] && printf '%s\0' "$file"
    done) |
    tar -C "$SOURCE_DIR" --null -T - -cf - | tar -C "$TREE" -xf -

# Without checks (the unit tests run in their own ctest entries); the compiler cache is used when
# there is one.
export DEB_BUILD_OPTIONS="nocheck"
# debhelper gives the build a HOME of its own: the cache is named by its folder, or it would start
# empty every time.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
    CCACHE_DIR="$(ccache --get-config cache_dir)"
    export CCACHE_DIR
fi
(cd "$TREE" && dpkg-buildpackage -us -uc -Pnocheck >"$PACKAGE_DIR/build.log" 2>&1) ||
    { tail -n 60 "$PACKAGE_DIR/build.log"; exit 1; }
