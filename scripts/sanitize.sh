#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (GCC)
# into build-asan/ and runs the whole test suite there, the end-to-end tests
# with the instrumented qm570-cli and qm570-sim included. A Debug build, so Qt's
# own checks (Q_ASSERT: indices of QList, QString, QByteArray) and the C++
# library's (_GLIBCXX_ASSERTIONS: std::vector, std::array) are on as well.
# Any finding fails the run: undefined behaviour stops the program at once, a
# leak fails it at its exit. scripts/lsan.supp names the few system libraries
# whose lifetime allocations are not leaks; the program's own are never
# suppressed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS"
bash scripts/configure.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
cd build-asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
