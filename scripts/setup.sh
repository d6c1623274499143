#!/usr/bin/env bash
# Installs every distribution package that the build, the tests, the benchmarks
# and the Chinese user interface need. Safe to run again: packages that are
# already present are left alone and nothing is printed unless work is done.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-l10n-tools
  libgl-dev libglx-dev libopengl-dev libxkbcommon-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-dev
  fonts-wqy-microhei
  xvfb xauth x11-apps imagemagick
  poppler-utils
  python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
