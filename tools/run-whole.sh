#!/usr/bin/env bash
# Runs every test program of a build whole, all its tests in one process in a shuffled
# order, several programs at a time, so that a test that leaves the process in
# another state than it found it (a folder, a record, a message) fails here, where
# CTest's one-test-a-process run cannot see it.
# Usage: tools/run-whole.sh [build folder] [jobs] [seed]   (seed 0: one from the clock)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/check}
jobs=${2:-$(nproc)}
seed=${3:-0}
logs="$build/whole"
mkdir -p "$logs"
mapfile -t programs < <(find "$build/tests" -type f -name 'test_*' -perm -u+x | sort)
[ ${#programs[@]} -gt 0 ] || { echo "run-whole: no test programs in $build/tests" >&2; exit 1; }

run_one() {
  local program=$1 log="$2/$(basename "$1").log"
  # The program's own folder: tests find their data relative to it, as under CTest.
  if (cd "$(dirname "$program")" && "./$(basename "$program")" --gtest_shuffle --gtest_random_seed="$3") >"$log" 2>&1; then
    echo "whole: $(basename "$program") passed"
  else
    echo "whole: $(basename "$program") FAILED (log: $log)"
    grep -E '^\[  FAILED  \]|ERROR: |runtime error|Random seed' "$log" | head -20
    return 1
  fi
}
export -f run_one
printf '%s\n' "${programs[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$logs" "$seed"
