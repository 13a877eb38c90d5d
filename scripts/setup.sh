#!/bin/bash
# Installs what is missing from Debian's packages and builds Folioknife.
# Usage: setup.sh [EXTRA-PACKAGE...]   (the benchmarks add the ones only they need)
# Idempotent: when everything is present it only runs an incremental build.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${FOLIOKNIFE_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev googletest
    libreoffice-writer libreoffice-dev
    xvfb xauth fonts-liberation fonts-dejavu-core
    libpugixml-dev libzip-dev libqpdf-dev
    desktop-file-utils unzip poppler-utils
    appstream dpkg-dev groff-base lintian man-db
    debhelper devscripts git
    parallel zsh python3-jsonschema
    openbox xdotool wmctrl
    clang libclang-rt-14-dev
    "$@"
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    status="$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)"
    [[ "$status" == "installed" ]] || missing+=("$pkg")
done

if ((${#missing[@]})); then
    echo "folioknife: installing ${missing[*]}"
    SUDO=""
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || { echo "folioknife: need root or sudo to install packages" >&2; exit 1; }
        SUDO="sudo"
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${FOLIOKNIFE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
