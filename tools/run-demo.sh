#!/usr/bin/env bash
# Builds the workbench and runs it on the demo working file in examples/ (when there
# is one). The program runs headless: once the main window has been started up and
# painted it writes a PNG of the window (menu bar, toolbar, plot, status bar) and ends.
#   tools/run-demo.sh [PNG-FILE]      default: build/release/qv95-main-window.png
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
qv95_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV95_TESTS=OFF
cmake --build "$build" -j "$(nproc)"

snapshot="${1:-$build/qv95-main-window.png}"
demo=()
for candidate in examples/*.qvw examples/*.QVW; do
  if [ -f "$candidate" ]; then demo=("$candidate"); break; fi
done
"$build/qv95" --snapshot "$snapshot" "${demo[@]}"
echo "Main window written to $snapshot"
