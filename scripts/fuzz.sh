#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one
# for a short while (default 30 s each; FUZZ_SECONDS overrides).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
seconds="${FUZZ_SECONDS:-30}"
bash scripts/configure.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQM570_BUILD_FUZZERS=ON -DQM570_BUILD_TESTS=OFF
targets=$(cd tests/fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//')
[ -n "$targets" ] || { echo "fuzz: no targets"; exit 0; }
cmake --build build-fuzz -j"$(nproc)" --target $targets
for t in $targets; do
  mkdir -p build-fuzz/corpus/"$t"
  echo "fuzz: $t for ${seconds}s"
  build-fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=0 build-fuzz/corpus/"$t" 2>build-fuzz/"$t".log \
    || { tail -50 build-fuzz/"$t".log; exit 1; }
done
