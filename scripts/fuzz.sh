#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) into build-fuzz/ and runs each one in turn for FUZZ_SECONDS
# (default 30) seconds, starting from the inputs committed in
# tests/fuzz/corpus/<target>/ (copied into build-fuzz/corpus/<target>/,
# which keeps what the fuzzer finds between runs). FUZZ_TARGETS="a b" runs
# only those targets. Prints each target's executed inputs and inputs per
# second (libFuzzer's final stats, and per second of the fuzzer's CPU time:
# the rate it has on a core of its own); fails when a target crashes or breaks
# one of its properties (the input is kept in build-fuzz/artifacts/<target>/).
#
# Long run: FUZZ_SECONDS=600 nice -n 10 bash scripts/fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
seconds="${FUZZ_SECONDS:-30}"
bash scripts/configure.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQM570_BUILD_FUZZERS=ON -DQM570_BUILD_TESTS=OFF
targets="${FUZZ_TARGETS:-$(cd tests/fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//')}"
[ -n "$targets" ] || { echo "fuzz: no targets"; exit 0; }
cmake --build build-fuzz -j"$(nproc)" --target $targets

# Longest input worth trying per target (longer ones add no code, only time).
max_len() {
  case "$1" in
    fuzz_channel_codec) echo 1794 ;;       # 2 header bytes + the image up to the last name (0x700)
    fuzz_data_file) echo 2195 ;;           # 3 + 192 region bytes + 100 channels of 20 bytes
    fuzz_settings_file) echo 2048 ;;
    fuzz_interpreter_replies) echo 1024 ;;
    *) echo 4096 ;;
  esac
}

# A smaller quarantine keeps freed memory warm (fewer page faults) and
# shorter allocation stacks cost less to record; every check stays on.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=32:malloc_context_size=10}"

summary=()
status=0
for t in $targets; do
  corpus=build-fuzz/corpus/"$t"
  artifacts=build-fuzz/artifacts/"$t"
  mkdir -p "$corpus" "$artifacts"
  [ -d tests/fuzz/corpus/"$t" ] && cp -n tests/fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  log=build-fuzz/"$t".log
  echo "fuzz: $t for ${seconds}s"
  rc=0
  # The fuzzer's CPU time too: on a machine shared with other work the wall
  # clock rate understates what the target does with a core.
  timer=()
  [ -x /usr/bin/time ] && timer=(/usr/bin/time -o build-fuzz/"$t".cpu -f "%U %S")
  "${timer[@]}" build-fuzz/fuzz/"$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -print_final_stats=1 \
    -artifact_prefix="$artifacts"/ "$corpus" >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cpu_rate=?
  if [ -s build-fuzz/"$t".cpu ] && [ -n "$runs" ]; then
    cpu_rate=$(awk -v n="$runs" 'END { c = $1 + $2; if (c > 0) printf "%.0f", n / c; else print "?" }' build-fuzz/"$t".cpu)
  fi
  if [ "$rc" -ne 0 ]; then
    tail -60 "$log"
    echo "fuzz: $t FAILED (exit $rc); input kept in $artifacts/"
    summary+=("$(printf '%-26s FAILED after %s inputs' "$t" "${runs:-?}")")
    status=1
  else
    summary+=("$(printf '%-26s %10s inputs  %6s inputs/s  %6s inputs/CPU-s  corpus %s' "$t" "${runs:-?}" "${rate:-?}" \
      "$cpu_rate" "$(ls "$corpus" | wc -l)")")
  fi
done
printf '%s\n' "fuzz: results (${seconds}s each)" "${summary[@]}"
exit $status
