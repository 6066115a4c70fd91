#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, test and run, if any are missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools libqt6sql6-sqlite libgl-dev
    libjpeg62-turbo-dev libpng-dev libimagequant-dev
    libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libgif-dev giflib-tools imagemagick ffmpeg gifsicle strace
    xvfb xauth
    desktop-file-utils appstream help2man librsvg2-bin dpkg-dev file shared-mime-info
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
