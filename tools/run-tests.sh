#!/usr/bin/env bash
# Builds every test program with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs all tests, one a process and each program whole.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
qv95_install_missing "${QV95_TEST_PACKAGES[@]}"

build=build/check
jobs=$(nproc)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV95_WERROR=ON -DQV95_SANITIZE=ON -DQV95_BENCH=ON
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The visible front end on a virtual display (skipped when Xvfb cannot start).
bash tools/ui-check.sh "$build"
ctest --test-dir "$build" --output-on-failure -j "$jobs"
# Each test program once more, all its tests in one process in a shuffled order: a
# test that leaves the process otherwise than it found it fails here.
bash tools/run-whole.sh "$build" "$jobs"
# The same folders' tests under ThreadSanitizer (a second build of four test programs).
bash tools/run-tsan.sh build/tsan "$jobs"
