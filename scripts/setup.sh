#!/usr/bin/env bash
# Installs the distribution packages that the build, the tests, the fuzzers and
# the scripts use, and nothing else. Safe to run again: packages that are
# already present are left alone and nothing is printed unless work is done.
set -euo pipefail

PACKAGES=(
  # The build: compiler, CMake and Ninja; Qt 6 Widgets/PrintSupport (its
  # -dev package brings moc and the OpenGL headers its CMake files look for)
  # and Qt SerialPort.
  build-essential cmake ninja-build
  qt6-base-dev qt6-serialport-dev
  # The tests (GoogleTest) and the install test's check of the desktop entry.
  libgtest-dev desktop-file-utils
  # scripts/fuzz.sh: clang with libFuzzer and its sanitizer runtimes.
  clang libclang-rt-dev
  # The Chinese user interface (the settings' ChsFont) and what window tests see.
  fonts-wqy-microhei
  # The smoke test and scripts/screenshots.sh: a virtual X display and
  # ImageMagick's import for the screenshots.
  xvfb xauth imagemagick
  # Print tests read the printed PDF back with pdftotext.
  poppler-utils
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
