#!/usr/bin/env bash
# Builds the test programs of the folders whose code runs beside the view-file thread
# (core, display, app, convert) or in the fit workers (fit) with ThreadSanitizer in a
# build folder of their own, and runs their tests. Any report of a data race fails the test it came from.
# Usage: tools/run-tsan.sh [build folder] [jobs]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/tsan}
jobs=${2:-$(nproc)}
programs=(test_core test_display test_app test_convert test_fit)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV95_WERROR=ON -DQV95_TSAN=ON -DQV95_BENCH=OFF \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER}
cmake --build "$build" -j "$jobs" --target "${programs[@]}"

# halt_on_error: the first report ends the test program with a failure.
export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1:history_size=4"
# Only these programs were built: the others' tests, the script tours (they need the
# program) and the repository check (run by the main build) are left out here.
ctest --test-dir "$build" --output-on-failure -j "$jobs" -E 'NOT_BUILT|^Script|Repository\.'
