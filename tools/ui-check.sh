#!/usr/bin/env bash
# Runs the window demo on a virtual X display and drives it with real input events:
# a menu chosen with the mouse, a dialog filled in (typing, a check box, a dragged
# trackbar, a list row) and closed with Return, a toolbar button, a menu chosen with
# Alt and the arrow keys, a message box, the save dialog and a box from a worker
# thread. Checks the windows by their titles, the program's report of what it got,
# and that the screenshot shows the windows. Skips (exit 0) when no virtual display
# can be started. Usage: tools/ui-check.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
qv95_install_missing xvfb xdotool imagemagick

build=${1:-build/check}
demo="$build/tests/platform/qv95_uidemo"
if [ ! -x "$demo" ]; then
  echo "ui-check: $demo is missing (build the tests first)" >&2
  exit 1
fi
out=$(mktemp -d)
display=""
xvfb_pid=""
demo_pid=""
cleanup() {
  if [ -n "$demo_pid" ]; then kill "$demo_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

for n in 91 92 93 94 95 96 97 98; do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    if DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1; then display=":$n"; break; fi
    sleep 0.1
  done
  [ -n "$display" ] && break
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
if [ -z "$display" ]; then
  echo "ui-check: skipped, Xvfb could not start a display"
  exit 0
fi
export DISPLAY=$display

ASAN_OPTIONS=detect_leaks=0 "$demo" >"$out/demo.out" 2>"$out/demo.err" &
demo_pid=$!

fail() {
  echo "ui-check: FAILED: $*" >&2
  echo "--- program output" >&2; cat "$out/demo.out" >&2
  echo "--- program errors" >&2; tail -20 "$out/demo.err" >&2
  exit 1
}
# Waits until a window with this title is there.
window() { timeout 10 xdotool search --sync --name "^$1\$" >/dev/null 2>&1 || fail "no window \"$1\""; }
gone() {
  for _ in $(seq 50); do
    xdotool search --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window \"$1\" did not close"
}
# Waits until the program reported a line matching the pattern.
expect() {
  for _ in $(seq 50); do
    grep -q -- "$1" "$out/demo.out" && return 0
    sleep 0.1
  done
  fail "expected output \"$1\""
}
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }

window "QV95 demo"
expect "front end: visible"
sleep 0.5
# The main window stands at (40, 40): menu bar at y 71, toolbar at y 95.
click 108 71                 # Edit
click 120 93                 # Settings...
window "Settings"
click 245 115                # the value edit
xdotool key ctrl+a; xdotool type "42"
click 322 115                # Enabled
xdotool mousemove 268 150 mousedown 1; sleep 0.1
xdotool mousemove 320 150; sleep 0.1; xdotool mousemove 380 150; sleep 0.1; xdotool mouseup 1; sleep 0.3
click 230 211                # the third list row
xdotool key Return
gone "Settings"
expect "status: value 42  on  level 7[0-9]  row 2  offset 0"
click 108 95                 # toolbar: move the view right
expect "offset 10"
xdotool key alt; sleep 0.2; xdotool key Right Right Down Return
window "About"
xdotool key Return
gone "About"
expect "about closed"
xdotool key alt; sleep 0.2; xdotool key Down Down Return      # File, Save As...
window "Save As"
xdotool key ctrl+a; xdotool type "$out/result.dat"; xdotool key Return
expect "save: $out/result.dat"
click 150 71                 # Help
click 160 111                # Worker box
window "Worker"
import -window root "$out/screen.png"
xdotool key Return
expect "worker answer: yes"

# The screenshot shows the main window's caption colour and the box; not a blank screen.
colours=$(identify -format "%k" "$out/screen.png")
[ "$colours" -ge 5 ] || fail "the screenshot shows only $colours colours"
caption=$(convert "$out/screen.png" -crop 1x1+300+45 -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" info:)
[ "$caption" = "10,36,106" ] || fail "no caption at the main window's place (found $caption)"
mkdir -p "$build/ui-check"
cp "$out/screen.png" "$build/ui-check/screen.png"

xdotool key alt; sleep 0.2; xdotool key Down x      # File, Exit by its mnemonic
for _ in $(seq 50); do kill -0 "$demo_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$demo_pid" 2>/dev/null && fail "the program did not end"
wait "$demo_pid" || fail "the program ended with an error"
demo_pid=""
expect "ended"
echo "ui-check: passed ($build/ui-check/screen.png)"
