#!/usr/bin/env bash
# Installs what Pelmark needs to build and test on Debian 12, then builds it.
# Run as root (or with sudo). Usage: scripts/setup.sh [build-folder]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-svg-dev libemf2svg-dev zlib1g-dev
          libgtest-dev googletest
          fonts-dejavu-core fonts-liberation
          zip unzip libarchive-tools python3 desktop-file-utils
          clang libclang-rt-14-dev)  # the last two for the fuzz target's short run
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"
