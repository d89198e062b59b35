#!/usr/bin/env bash
# Builds the workbench and runs it on the demo working file in examples/ (written by
# the make_demo program). On a display it opens the workbench in real windows;
# without one it runs headless, writes a PNG of the main window (menu bar, toolbar,
# plot, status bar) and ends.
#   tools/run-demo.sh [WORKING-FILE]
#   QV95_SNAPSHOT=FILE: always headless, the PNG written to FILE
#   (default PNG without a display: qv95-main-window.png in the current folder)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
qv95_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV95_TESTS=OFF
cmake --build "$build" -j "$(nproc)"

if [ "$#" -eq 0 ]; then
  set -- "$PWD/examples/demo.QVW"
fi
if [ -n "${QV95_SNAPSHOT:-}" ]; then
  exec "$build/qv95" --snapshot "$QV95_SNAPSHOT" "$@"
fi
exec "$build/qv95" "$@"
