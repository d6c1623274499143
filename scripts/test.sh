#!/usr/bin/env bash
# Sets up, builds and runs every test (ctest). Window tests use the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
