#!/bin/bash
# Checks the Debian package and its debug package (built by build-deb.sh): control data, file list,
# stripped and hardened programs whose symbols the debug package holds, and the documents Debian
# asks for.
# Usage: check-deb.sh PACKAGE-DIR
set -euo pipefail
PACKAGE_DIR="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

DEB="$(ls "$PACKAGE_DIR"/folioknife_*.deb)"
DEBUG_DEB="$(ls "$PACKAGE_DIR"/folioknife-dbgsym_*.deb)"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The libraries' packages come from the programs' links, the office's UNO runtime among them; the
# office itself is named by hand, as only its program is started.
depends="$(dpkg-deb -f "$DEB" Depends)"
for package in libreoffice-writer libqt6core6 libqt6gui6 libqt6network6 libqt6widgets6 libpugixml1v5 libzip4 libqpdf29 \
    libuno-cppu3 libuno-sal3; do
    [[ ", $depends," =~ ,\ $package(\ \([^\)]*\))?, ]] || fail "Depends lacks $package: $depends"
done
[[ "$(dpkg-deb -f "$DEB" Package)" == folioknife ]] || fail "package name"
version="$(dpkg-deb -f "$DEB" Version)"
[[ "$(dpkg-deb -f "$DEB" Architecture)" == "$(dpkg --print-architecture)" ]] || fail "architecture"
# The programs' folder is private: nothing for ldconfig, so no maintainer scripts at all.
control_files="$(dpkg-deb --ctrl-tarfile "$DEB" | tar -t | grep -vx '\./' | sort | tr '\n' ' ')"
[[ "$control_files" == "./control ./md5sums " ]] || fail "control files: $control_files"
[[ "$(dpkg-deb -f "$DEBUG_DEB" Depends)" == "folioknife (= $version)" ]] || fail "debug package's Depends"

listing="$(dpkg-deb -c "$DEB")"
files="$(awk '{ print $6 }' <<<"$listing")"
for path in ./usr/bin/folioknife ./usr/bin/folioknife-split \
    ./usr/lib/folioknife/folioknife ./usr/lib/folioknife/folioknife-split \
    ./usr/lib/folioknife/libfolioknife-uno.so \
    ./usr/share/man/man1/folioknife.1.gz ./usr/share/man/man1/folioknife-split.1.gz \
    ./usr/share/doc/folioknife/copyright ./usr/share/doc/folioknife/changelog.gz \
    ./usr/share/lintian/overrides/folioknife \
    ./usr/share/bash-completion/completions/folioknife-split \
    ./usr/share/metainfo/io.github.kestrune.folioknife.metainfo.xml \
    ./usr/share/applications/folioknife.desktop \
    ./usr/share/icons/hicolor/48x48/apps/folioknife.png; do
    grep -qxF "$path" <<<"$files" || fail "missing $path"
done
# The links in bin point into the program folder, relative to where they are installed.
grep -q -- '\./usr/bin/folioknife-split -> \.\./lib/folioknife/folioknife-split' <<<"$listing" ||
    fail "folioknife-split link"

mkdir "$WORK/root" "$WORK/debug"
dpkg-deb -x "$DEB" "$WORK/root"
dpkg-deb -x "$DEBUG_DEB" "$WORK/debug"
# Nothing of the build machine leaks into the packages: the same sources give the same files
# wherever they are built.
leaks="$(grep -rlF "$PACKAGE_DIR" "$WORK/root" "$WORK/debug")" && fail "build paths in: $leaks"
for page in folioknife folioknife-split; do
    zcat "$WORK/root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1" || fail "manual page $page"
done
head -1 "$WORK/root/usr/share/doc/folioknife/copyright" |
    grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not machine-readable"
# A new version needs its changelog entry.
zcat "$WORK/root/usr/share/doc/folioknife/changelog.gz" >"$WORK/changelog"
changelog_version="$(dpkg-parsechangelog -l "$WORK/changelog" -S Version)"
[[ "$changelog_version" == "$version" ]] || fail "changelog's latest entry is $changelog_version, package $version"

# Every program ships stripped, and its symbols are in the debug package under its build ID.
sections() { readelf --section-headers --wide "$1" 2>/dev/null | sed -n 's/^ *\[ *[0-9]*\] \([^ ]*\).*/\1/p'; }
for binary in folioknife folioknife-split libfolioknife-uno.so; do
    file="$WORK/root/usr/lib/folioknife/$binary"
    sections "$file" | grep -qxE '\.symtab|\.debug_info' && fail "$binary is not stripped"
    build_id="$(readelf --notes "$file" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')"
    debug_file="$WORK/debug/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
    [[ -n "$build_id" && -f "$debug_file" ]] || { fail "no symbols for $binary (build ID '$build_id')"; continue; }
    sections "$debug_file" | grep -qxF .debug_info || fail "symbols of $binary lack .debug_info"
    sections "$debug_file" | grep -qxF .symtab || fail "symbols of $binary lack .symtab"
done
# Every program and the plugin are built hardened: position-independent, stack protector, fortified
# calls, read-only relocations bound at start. Debian 12's build flags have no control-flow
# protection, so that is not asked for.
# The plugin is compiled fortified like the programs, but its only fortifiable calls are the memcpy
# and memmove of the standard containers, whose sizes are known at run time only: the compiler can
# protect none of them, and hardening-check, finding no protected call, cannot see the fortification.
declare -A hardening_exceptions=([libfolioknife-uno.so]=--nofortify)
for binary in folioknife folioknife-split libfolioknife-uno.so; do
    report="$(hardening-check --nocfprotection ${hardening_exceptions[$binary]:-} \
        "$WORK/root/usr/lib/folioknife/$binary")" || fail "$binary is not hardened: $report"
done
# The office plugin finds the office's UNO libraries through its RUNPATH (see the lintian override).
readelf --dynamic "$WORK/root/usr/lib/folioknife/libfolioknife-uno.so" |
    grep -qF 'Library runpath: [/usr/lib/libreoffice/program]' || fail "plugin's RUNPATH"
# Stripped, the program still starts.
version_line="$("$WORK/root/usr/lib/folioknife/folioknife-split" --version 2>&1)" ||
    fail "folioknife-split --version ended with status $?: $version_line"
grep -qF "$version" <<<"$version_line" || fail "folioknife-split --version printed: $version_line"
exit $failed
