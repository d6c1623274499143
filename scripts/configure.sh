#!/usr/bin/env bash
# Configures the build folder DIR with Ninja and RelWithDebInfo (through ccache
# when it is installed), once; more arguments go to CMake on that first run.
#   scripts/configure.sh DIR [CMAKE ARGS...]
# QM570_WERROR=ON (or OFF) in the environment sets warnings-as-errors, also in
# an existing build folder; CI turns it on.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"
shift
werror=()
if [ -n "${QM570_WERROR:-}" ]; then
  werror=(-DQM570_WERROR="$QM570_WERROR")
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "${werror[@]}" "$@" >/dev/null
elif [ "${#werror[@]}" -gt 0 ]; then
  cmake -S . -B "$dir" "${werror[@]}" >/dev/null
fi
