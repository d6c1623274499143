#!/usr/bin/env bash
# Sets up the machine (distribution packages) and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/configure.sh build
cmake --build build -j"$(nproc)"
