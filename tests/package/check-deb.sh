#!/bin/bash
# Builds the Debian package from the build folder and checks its control data and file list.
# Usage: check-deb.sh BUILD-DIR
set -euo pipefail
BUILD_DIR="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

(cd "$BUILD_DIR" && cpack -G DEB -B "$WORK" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; exit 1; }
DEB="$(ls "$WORK"/folioknife_*.deb)"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

depends="$(dpkg-deb -f "$DEB" Depends)"
for package in libreoffice-writer libqt6core6 libqt6gui6 libqt6widgets6 libpugixml1v5 libzip4; do
    [[ ", $depends," == *", $package,"* ]] || fail "Depends lacks $package: $depends"
done
[[ "$(dpkg-deb -f "$DEB" Package)" == folioknife ]] || fail "package name"
[[ "$(dpkg-deb -f "$DEB" Architecture)" == "$(dpkg --print-architecture)" ]] || fail "architecture"

listing="$(dpkg-deb -c "$DEB")"
files="$(awk '{ print $6 }' <<<"$listing")"
for path in ./usr/bin/folioknife ./usr/bin/folioknife-split \
    ./usr/lib/folioknife/folioknife ./usr/lib/folioknife/folioknife-split \
    ./usr/lib/folioknife/libfolioknife-uno.so \
    ./usr/share/man/man1/folioknife-split.1.gz \
    ./usr/share/bash-completion/completions/folioknife-split \
    ./usr/share/metainfo/io.github.kestrune.folioknife.metainfo.xml \
    ./usr/share/applications/folioknife.desktop \
    ./usr/share/icons/hicolor/48x48/apps/folioknife.png; do
    grep -qxF "$path" <<<"$files" || fail "missing $path"
done
# The links in bin point into the program folder, relative to where they are installed.
grep -q -- '\./usr/bin/folioknife-split -> \.\./lib/folioknife/folioknife-split' <<<"$listing" ||
    fail "folioknife-split link"
# Nothing of the build machine leaks into the package.
grep -q "$BUILD_DIR" <<<"$files" && fail "build paths in the package"

# The installed files are the ones the other checks accept.
mkdir "$WORK/root"
dpkg-deb -x "$DEB" "$WORK/root"
zcat "$WORK/root/usr/share/man/man1/folioknife-split.1.gz" | grep -q '^\.TH FOLIOKNIFE-SPLIT 1' || fail "manual page"
exit $failed
