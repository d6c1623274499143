#!/usr/bin/env bash
# Sets up, builds and starts the desktop program from build/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/bin/qm570 "$@"
