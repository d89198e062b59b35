#!/usr/bin/env bash
# Builds the workbench and runs it on the demo working file in examples/ (written by
# the make_demo program). The program runs headless: once the main window has been
# started up and painted it writes a PNG of the window (menu bar, toolbar, plot,
# status bar) and ends.
#   tools/run-demo.sh [WORKING-FILE]    snapshot: $QV95_SNAPSHOT or build/release/qv95-main-window.png
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
qv95_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV95_TESTS=OFF
cmake --build "$build" -j "$(nproc)"

snapshot="${QV95_SNAPSHOT:-$PWD/$build/qv95-main-window.png}"
if [ "$#" -eq 0 ]; then
  set -- "$PWD/examples/demo.QVW"
fi
"$build/qv95" --snapshot "$snapshot" "$@"
echo "Main window written to $snapshot"
