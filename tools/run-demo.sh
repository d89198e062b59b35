#!/usr/bin/env bash
# Builds the workbench and runs it on the demo working file in examples/
# (written by the make_demo program: make_demo examples).
# Without a display it runs headless and writes a PNG of the main window.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
qv95_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV95_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
# Without arguments the workbench opens the demo working file.
if [ "$#" -eq 0 ]; then
  set -- "$PWD/examples/demo.QVW"
fi
exec "$build/qv95" "$@"
