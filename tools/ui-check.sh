#!/usr/bin/env bash
# Drives the visible front end on a virtual X display with real input events.
# First the window demo: a menu chosen with the mouse, a dialog filled in (typing, a
# check box, a dragged trackbar, a list row) and closed with Return, a toolbar button,
# a menu chosen with Alt and the arrow keys, a message box, the save dialog and two boxes
# in a row from a worker thread (a Return typed as soon as the second is there answers
# it). Then the workbench itself on a copy of the demo working file: the Analysis dialog
# opened from the menu bar with the mouse (the control with the keyboard framed, the
# frame moved by Tab), the row and the arrows of its LOW TYPE list clicked (down, then
# up again), left with Escape (its typed comment
# dropped), then its comment typed over and taken with OK; the status readout near
# point 24,037 read whole; the view moved with the toolbar's forward button; two quick
# clicks on two rows of the file dialog of Analysis's OPEN button choose no file; a time
# window of a channel moved by the window manager opens again where it was moved to; a
# right-click on the main window while a box blocks it opens no menu; the
# simulation control dialog kept above the main window when that is clicked, two of
# its set's dialogs opened beside it and kept in sight when it is clicked, each closed
# with its close box; with that dialog open, a click on the main window gives it the
# keyboard (x and X change the view), a right-click menu opened beside the dialog shows
# whole above it and closes with Escape, the scalar/offset dialog chosen from that menu
# steps its channel with its CHN scroll bar's arrows without hiding a channel, takes a
# scalar typed into it when the window manager activates the main window and a view key
# is typed there, and another when the plot is clicked next (the working file saved at
# the end holds it), hides the channel its channel list shows when that row is clicked
# and gives the keyboard back to the main window (x, X and 2 typed next act there), does
# the same when its channel list takes Up (x, X and 1 typed next act there) and follows
# its caption dragged with real motion events; and the program left through
# File > Exit, the save dialog answered so that the working file is written. Last the workbench started on a new
# working-file name: its two warnings open above the main window with the keyboard,
# Return answers each, and the main window's close box offers the save dialog, whose
# Cancel ends the program without writing the file. Checks the windows by their
# titles, the programs' reports and files, and that the screenshots show the windows.
# Skips (exit 0) when no virtual display can be started. Usage: tools/ui-check.sh
# [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
qv95_install_missing xvfb xdotool imagemagick openbox

build=${1:-build/check}
demo="$build/tests/platform/qv95_uidemo"
qv95="$(realpath -m "$build/qv95")"
for program in "$demo" "$qv95"; do
  if [ ! -x "$program" ]; then
    echo "ui-check: $program is missing (build the tests first)" >&2
    exit 1
  fi
done
out=$(mktemp -d)
display=""
xvfb_pid=""
wm_pid=""
demo_pid=""
app_pid=""
cleanup() {
  if [ -n "$demo_pid" ]; then kill "$demo_pid" 2>/dev/null || true; fi
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$out"
}
trap cleanup EXIT

for n in 91 92 93 94 95 96 97 98; do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  # No key repeat: on a loaded machine a key may stay down past the repeat delay and
  # then be typed twice.
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -r >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    if DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1; then display=":$n"; break; fi
    kill -0 "$xvfb_pid" 2>/dev/null || break   # it gave up: no use waiting
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
# A window manager, as on a person's desktop: it stacks owned windows above their owner
# and hands the keyboard to the window clicked. The windows draw their own frames.
wm_pid=""
if command -v openbox >/dev/null; then
  openbox --sm-disable >"$out/wm.log" 2>&1 &
  wm_pid=$!
  sleep 1
fi

ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$demo" >"$out/demo.out" 2>"$out/demo.err" &
demo_pid=$!

log="$out/demo"   # the output (.out) and errors (.err) of the program under test
fail() {
  echo "ui-check: FAILED: $*" >&2
  mkdir -p "$build/ui-check"
  import -window root "$build/ui-check/failed.png" 2>/dev/null &&
    echo "ui-check: the screen is in $build/ui-check/failed.png" >&2
  echo "--- program output" >&2; cat "$log.out" >&2
  echo "--- program errors" >&2; tail -20 "$log.err" >&2
  exit 1
}
# The ids of the windows whose titles match the pattern, one a line; status 1 when there
# is none. xdotool gives up with an X error when a window closes while it reads the
# window list: such a search is made again.
windows_matching() {
  local ids
  for _ in $(seq 20); do
    if ids=$(xdotool search --name "$1" 2>"$out/search.err"); then
      echo "$ids"
      return 0
    fi
    grep -q "X Error" "$out/search.err" || return 1
  done
  fail "xdotool could not read the window list: $(cat "$out/search.err")"
}
# The first window with the pattern's title, waiting up to a minute for it.
first_window() {
  local ids
  for _ in $(seq 600); do
    if ids=$(windows_matching "$1"); then
      echo "${ids%%$'\n'*}"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Waits until a window with this title is there.
# A window that has just appeared gets a moment before input reaches it, so that a
# loaded machine has shown it by then.
window() {
  first_window "^$1\$" >/dev/null || fail "no window \"$1\""
  sleep 1
}
gone() {
  for _ in $(seq 300); do
    windows_matching "^$1\$" >/dev/null || return 0
    sleep 0.1
  done
  fail "window \"$1\" did not close"
}
# Waits until the program reported a line matching the pattern.
expect() {
  for _ in $(seq 300); do
    grep -q -- "$1" "$out/demo.out" && return 0
    sleep 0.1
  done
  fail "expected output \"$1\""
}
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
# The colour of a screen pixel as "r,g,b" (0..255) in a screenshot.
pixel_of() { convert "$1" -crop "1x1+$2+$3" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" info:; }
# Clicks the close box at the right end of the caption of the window whose title
# matches the pattern (a 1-pixel frame, a caption of 20 pixels, the box 14 pixels
# square, 3 pixels in from the frame).
close_box() {
  local id
  id=$(first_window "^$1\$") || fail "no window \"$1\" to close"
  eval "$(xdotool getwindowgeometry --shell "$id")"
  click $((X + WIDTH - 1 - 3 - 7)) $((Y + 1 + 3 + 7))
}

window "QV95 demo"
expect "front end: visible"
sleep 0.5
# The main window stands at (40, 40): menu bar at y 71, toolbar at y 95.
click 108 71                 # Edit
click 120 93                 # Settings...
window "Settings"
# The dialog opens centred over the main window: its controls from its client area.
settings=$(first_window "^Settings\$")
eval "$(xdotool getwindowgeometry --shell "$settings")"
sx=$((X + 1)) sy=$((Y + 1 + 20))
[ $((X + WIDTH / 2 - 360)) -le 1 ] && [ $((X + WIDTH / 2 - 360)) -ge -1 ] ||
  fail "the Settings dialog is not centred over the main window (x $X, width $WIDTH)"
click $((sx + 139)) $((sy + 24))    # the value edit
xdotool key ctrl+a; xdotool type "42"
click $((sx + 216)) $((sy + 24))    # Enabled
xdotool mousemove $((sx + 162)) $((sy + 59)) mousedown 1; sleep 0.1
xdotool mousemove $((sx + 214)) $((sy + 59)); sleep 0.1; xdotool mousemove $((sx + 274)) $((sy + 59)); sleep 0.1
xdotool mouseup 1; sleep 0.3
click $((sx + 124)) $((sy + 120))   # the third list row
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
# The worker's second question opens as the first one closes: a Return typed as soon as
# it is there answers it, whichever window the display gave the keyboard meanwhile.
first_window "^Worker again\$" >/dev/null || fail "no second box from the worker"
xdotool key Return
expect "worker second answer: yes"

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

# ---- the workbench on a copy of the demo ------------------------------------------------
work="$out/work"
mkdir "$work"
cp -r examples/. "$work"/
log="$out/qv95"
xdotool mousemove 1020 764     # out of the way: over the plot the pointer rewrites the status bar
(cd "$work" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" exec "$qv95" "$work/demo.QVW") >"$log.out" 2>"$log.err" &
app_pid=$!
main=$(first_window "^QUIVRANE 95 ") || true
[ -n "$main" ] || fail "no main window \"QUIVRANE 95 ...\""
title=$(xdotool getwindowname "$main")
case "$title" in *"[demo.QVW]"*) ;; *) fail "the main window's title names no working file: $title" ;; esac
eval "$(xdotool getwindowgeometry --shell "$main")"
mx=$X my=$Y mw=$WIDTH mh=$HEIGHT

# The window's picture: a 1-pixel frame, the caption (20), the menu bar (20, each item
# 7 pixels a character of its text, '&' included, plus 12), the toolbar (30, buttons
# 24 wide every 26 from x 4), the plot, and the status bar (22) at the bottom.
bar_y=$((my + 1 + 20 + 10))
bar_x() {   # centre of menu bar item $1
  local texts=("&File" "&Analysis" "&RotCalc" "&VibCalc") left=0 i
  for ((i = 0; i < $1; i++)); do left=$((left + ${#texts[i]} * 7 + 12)); done
  echo $((mx + 1 + left + (${#texts[$1]} * 7 + 12) / 2))
}
tool_x() { echo $((mx + 1 + 4 + $1 * 26 + 12)); }   # centre of toolbar button $1
tool_y=$((my + 1 + 20 + 20 + 15))
plot="$((mw - 2))x$((mh - 1 - 20 - 20 - 30 - 22 - 1))+$((mx + 1))+$((my + 1 + 20 + 20 + 30))"
shot() { import -window root "$1"; }
plot_of() { convert "$1" -crop "$plot" +repage "$2"; }
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = "0" ]; }
# Waits until the plot stays the same for a moment (the view run has drawn it).
settle() {
  local previous="$out/plot-a.png" current="$out/plot-b.png"
  shot "$out/settle.png"; plot_of "$out/settle.png" "$previous"
  for _ in $(seq 40); do
    sleep 0.25
    shot "$out/settle.png"; plot_of "$out/settle.png" "$current"
    if same "$previous" "$current" &&
      [ "$(convert "$current" -format %k info:)" -ge 4 ]; then return 0; fi
    cp "$current" "$previous"
  done
  fail "the plot did not settle with the channels drawn"
}
settle

# Analysis (a command on the menu bar itself) opens the dialog; its comment is typed
# over, first left with Escape (Cancel: the text is dropped), then taken with OK.
open_analysis() {
  click "$(bar_x 1)" "$bar_y"
  window "ANALYSIS OPTIONS DIALOG"
  dialog=$(first_window "^ANALYSIS OPTIONS DIALOG\$")
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  dx=$((X + 1)) dy=$((Y + 1 + 20))   # its client area; controls in dialog units (4 x 8 = 7 x 14 pixels)
}
analysis_comment() {   # types $1 into the comment edit of a freshly opened dialog
  open_analysis
  click $((dx + 150 * 7 / 4)) $((dy + 272 * 14 / 8))   # the comment edit (46, 266, 290 x 12)
  sleep 0.5                          # a loaded machine: let the click take the focus first
  xdotool key ctrl+a; sleep 0.5; xdotool type --delay 20 "$1"; sleep 0.5
}
# The dialog opens with the keyboard on channel 0's DSP check box (6, 20, 12 x 12), which
# shows it with a dotted frame; Tab moves it, and the frame, to the ACT CHN radio button
# beside it (24, 20).
focus_shot() {   # $1: name; the 25 x 25 pixels around the control at dialog units $2, $3
  shot "$out/$1.png"
  convert "$out/$1.png" -crop "25x25+$((dx + $2 * 7 / 4 - 2))+$((dy + $3 * 14 / 8 - 2))" +repage "$out/$1.png"
}
open_analysis
focus_shot dsp-open 6 20; focus_shot act-open 24 20
shot "$out/focus.png"
convert "$out/focus.png" -crop "300x120+$dx+$dy" +repage "$build/ui-check/focus.png"
xdotool key Tab; sleep 0.5
focus_shot dsp-tab 6 20; focus_shot act-tab 24 20
same "$out/dsp-open.png" "$out/dsp-tab.png" && fail "the DSP check box with the keyboard looks as without ($build/ui-check/focus.png)"
same "$out/act-open.png" "$out/act-tab.png" && fail "the ACT CHN button given the keyboard by Tab looks as without"
xdotool key Escape
gone "ANALYSIS OPTIONS DIALOG"
escaped="UI CHECK $$ ESCAPED"
analysis_comment "$escaped"
# The arrows beside LOW's TYPE list (40, 162, 40 x 12; its scroll bar the 12 pixels
# inside its right border, the up arrow its upper half) each move the choice: down
# shows another kind, up the first one again.
type_row="55x17+$((dx + 72))+$((dy + 285))"
type_shot() { shot "$out/type-$1.png"; convert "$out/type-$1.png" -crop "$type_row" +repage "$out/type-$1.png"; }
click $((dx + 100)) $((dy + 293))    # its row: the list takes the keyboard, its choice stays
sleep 0.5; type_shot a
click $((dx + 132)) $((dy + 300))    # down
sleep 0.5; type_shot b
click $((dx + 132)) $((dy + 287))    # up
sleep 0.5; type_shot c
same "$out/type-a.png" "$out/type-b.png" && fail "the down arrow of LOW's TYPE list did not move its choice"
same "$out/type-a.png" "$out/type-c.png" || fail "the up arrow of LOW's TYPE list did not move its choice back"
xdotool key Escape
gone "ANALYSIS OPTIONS DIALOG"
comment="UI CHECK $$ COMMENT"
analysis_comment "$comment"
click $((dx + 125 * 7 / 4)) $((dy + 317 * 14 / 8))   # OK (100, 310, 50 x 14)
gone "ANALYSIS OPTIONS DIALOG"
settle

# The mouse readout of part 0 reads whole, its point number too: at plot pixel 767 of
# the LOW level (point 24,039, the pixel nearest 24,037) it ends "Pt  24039", the
# digits at characters 45 to 49 of the status bar's 5-pixel font.
status_bar="$((mw - 2))x22+$((mx + 1))+$((my + mh - 1 - 22))"
xdotool mousemove $((mx + 1 + 767)) $((my + 1 + 20 + 20 + 30 + 300)); sleep 1
shot "$out/status-full.png"
convert "$out/status-full.png" -crop "$status_bar" +repage "$out/status.png"
mkdir -p "$build/ui-check"
cp "$out/status.png" "$build/ui-check/status.png"
digits=$(convert "$out/status.png" -crop "25x16+$((3 + 45 * 5))+3" +repage -threshold 50% -negate -format "%[fx:int(mean*w*h)]" info:)
[ "$digits" -ge 10 ] || fail "the point number of the status readout is cut off ($build/ui-check/status.png)"
xdotool mousemove 1020 764
settle

# The forward button moves the view: the plot changes.
cp "$out/plot-b.png" "$out/before.png"
click "$(tool_x 9)" "$tool_y"          # forward: after New, Open, Save, Print, and five view buttons
moved=""
for _ in $(seq 40); do
  shot "$out/after-full.png"; plot_of "$out/after-full.png" "$out/after.png"
  if ! same "$out/before.png" "$out/after.png"; then moved=1; break; fi
  sleep 0.25
done
[ -n "$moved" ] || fail "the forward button did not move the view"
settle

# Two quick clicks on the two rows after the folders in the file dialog of Analysis's
# OPEN button (382, 64, 52 x 13) are not a double click: the dialog stays open, and
# Escape leaves it.
open_analysis
click $((dx + 408 * 7 / 4)) $((dy + 70 * 14 / 8))
window "Open"
eval "$(xdotool getwindowgeometry --shell "$(first_window "^Open\$")")"
row_y=$((Y + 1 + 20 + 10 + 22 + 1 + 2 * 16 + 8))   # its list's third row: the list 32 below the caption, rows of 16
xdotool mousemove $((X + 60)) "$row_y" click 1 mousemove $((X + 60)) $((row_y + 16)) click 1
sleep 1
windows_matching "^Open\$" >/dev/null || fail "two clicks on two rows of the file dialog chose a file"
xdotool key Escape
gone "Open"
# A child window moved by the window manager opens again where it was moved to: channel
# 0's T2F box in Analysis (42, 20) opens its transform dialog and its child windows, and
# closes them.
t2f_x=$((dx + 84)) t2f_y=$((dy + 45))
click "$t2f_x" "$t2f_y"
window "TIME DOMAIN WINDOW \[0\]"
time_window=$(first_window "^TIME DOMAIN WINDOW \[0\]\$")
eval "$(xdotool getwindowgeometry --shell "$time_window")"
moved_x=$((X + 40)) moved_y=$((Y - 60))
xdotool windowmove --sync "$time_window" "$moved_x" "$moved_y"
click "$t2f_x" "$t2f_y"
gone "TIME DOMAIN WINDOW \[0\]"
click "$t2f_x" "$t2f_y"
window "TIME DOMAIN WINDOW \[0\]"
eval "$(xdotool getwindowgeometry --shell "$(first_window "^TIME DOMAIN WINDOW \[0\]\$")")"
[ "$X,$Y" = "$moved_x,$moved_y" ] ||
  fail "the time window moved by the window manager to $moved_x,$moved_y opened again at $X,$Y"
click "$t2f_x" "$t2f_y"
gone "TIME DOMAIN WINDOW \[0\]"
gone "TIME/FREQ TRANSFORM PRMS"
click $((dx + 125 * 7 / 4)) $((dy + 317 * 14 / 8))   # OK
gone "ANALYSIS OPTIONS DIALOG"
settle

# A modeless dialog opens centred over its owner and stays above it when a box over it
# closes: the simulation control dialog (key c), the warning of its RD ORV button
# (no rotor result yet) answered with Return, then the dialog closed with Escape.
xdotool key c
window "SIMULATION CONTROL DIALOG"
control=$(first_window "^SIMULATION CONTROL DIALOG\$")
eval "$(xdotool getwindowgeometry --shell "$control")"
cx=$X cy=$Y
centre=$((X + WIDTH / 2 - mx - mw / 2))
[ "$centre" -ge -1 ] && [ "$centre" -le 1 ] || fail "the simulation control dialog is not centred over the main window"
click $((cx + 1 + 100)) $((cy + 1 + 20 + 63))   # RD ORV of set A (36 + 4, 30, 34 x 12)
window "Warning"
# The main window the box blocks takes no click: a right-click on its plot opens no
# menu, not even once the box has closed.
xdotool mousemove $((mx + 40)) $((my + 400)) click 3
sleep 0.5
xdotool key Return
gone "Warning"
sleep 1
windows_matching "^menu\$" >/dev/null && fail "a right-click on the main window while a box blocked it opened its menu"
shot "$out/stacked.png"
[ "$(convert "$out/stacked.png" -crop "1x1+$((cx + 5))+$((cy + 10))" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" info:)" = "10,36,106" ] ||
  fail "the simulation control dialog went behind the main window when the box closed"
# A click on the main window, the dialog's owner, leaves the dialog above it and gives
# the main window the keyboard: x expands the view at the cursor, X takes it back.
click $((mx + 40)) $((my + 400))
sleep 1
shot "$out/owner.png"
[ "$(pixel_of "$out/owner.png" $((cx + 5)) $((cy + 10)))" = "10,36,106" ] ||
  fail "the simulation control dialog went behind the main window when that was clicked"
focused=$(xdotool getwindowfocus getwindowname 2>/dev/null || true)
case "$focused" in "QUIVRANE 95 "*) ;; *) fail "a click on the main window left the keyboard with \"$focused\"" ;; esac
view_key() {   # presses key $1 and waits until the plot changes; $2: after what
  settle
  cp "$out/plot-b.png" "$out/before-key.png"
  xdotool key "$1"
  for _ in $(seq 40); do
    shot "$out/key-full.png"; plot_of "$out/key-full.png" "$out/key.png"
    same "$out/before-key.png" "$out/key.png" || return 0
    sleep 0.25
  done
  fail "the key $1, ${2:-after a click on the main window with a modeless dialog open}, did not change the view"
}
view_key x
view_key X
settle

# A right-click menu opened beside the dialog is seen whole above it, in a borderless
# window of its own, and takes Escape (the dialog stays open).
right_click_menu() {   # opens the main window's right-click menu at $1 $2; sets menu_x/y/w/h
  xdotool mousemove "$1" "$2" click 3
  local id
  id=$(first_window "^menu\$") || fail "the right-click menu did not open"
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$id")"
  menu_x=$X menu_y=$Y menu_w=$WIDTH menu_h=$HEIGHT
}
right_click_menu $((cx - 30)) $((cy + 100))
[ $((menu_x + menu_w)) -gt $((cx + 40)) ] || fail "the right-click menu does not reach over the dialog"
shot "$out/menu.png"
cp "$out/menu.png" "$build/ui-check/menu.png"
# Its right edge is its frame line all the way down, and its last row ("Zero Offset
# File") is written over the dialog.
edge=$(convert "$out/menu.png" -crop "1x${menu_h}+$((menu_x + menu_w - 1))+$menu_y" +repage -format %c histogram:info:)
[ "$(wc -l <<<"$edge")" = 1 ] && grep -q "(128,128,128)" <<<"$edge" ||
  fail "the right-click menu is hidden in part by the dialog ($build/ui-check/menu.png)"
ink=$(convert "$out/menu.png" -crop "$((menu_x + 22 + 119 - cx))x14+$cx+$((menu_y + menu_h - 2 - 16))" +repage \
  -threshold 50% -negate -format "%[fx:int(mean*w*h)]" info:)
[ "$ink" -ge 20 ] || fail "the last row of the right-click menu is not seen over the dialog ($build/ui-check/menu.png)"
xdotool key Escape
gone "menu"
windows_matching "^SIMULATION CONTROL DIALOG\$" >/dev/null || fail "Escape on the open menu closed the dialog"

# The scalar/offset dialog, chosen from the right-click menu with the mouse: its CHN
# scroll bar's arrows step its channel (the channel list shows the next one and the
# first one again) and hide no channel.
right_click_menu $((cx - 30)) $((cy + 100))
click $((menu_x + 20)) $((menu_y + 2 + 9))   # its first row
window "DSP SCALAR/OFFSET"
dsp=$(first_window "^DSP SCALAR/OFFSET\$")
eval "$(xdotool getwindowgeometry --shell "$dsp")"
ox=$((X + 1)) oy=$((Y + 1 + 20))
chn_list="42x21+$((ox + 42))+$((oy + 3))"      # list 1260 (24, 2, 24 x 12)
chn_shot() { shot "$out/chn-$1.png"; convert "$out/chn-$1.png" -crop "$chn_list" +repage "$out/chn-$1.png"; }
# The dialog shows the active channel, the last one displayed (2): up goes to channel
# 1, down back to 2 (a channel beyond the displayed ones is not kept).
click $((ox + 260)) $((oy + 8))               # beside RGB: the dialog is activated, its list takes the keyboard
sleep 0.5; chn_shot a
click $((ox + 87 + 7)) $((oy + 3 + 4))        # scroll bar 20 (50, 2, 8 x 12): its up arrow
sleep 1; chn_shot b
click $((ox + 87 + 7)) $((oy + 3 + 16))       # its down arrow
sleep 1; chn_shot c
same "$out/chn-a.png" "$out/chn-b.png" && fail "the up arrow of the CHN scroll bar did not step the channel"
same "$out/chn-a.png" "$out/chn-c.png" || fail "the down arrow of the CHN scroll bar did not step the channel back"
all_channels_drawn() {   # once the plot has settled; $1: after what
  local histogram colour
  settle
  histogram=$(convert "$out/plot-b.png" -format %c histogram:info:)
  for colour in "#FF0000" "#0000FF" "#00AA00"; do
    grep -q "$colour" <<<"$histogram" || fail "a channel (in $colour) went from the plot when $1"
  done
}
all_channels_drawn "the CHN arrows were clicked"
# A scalar typed into VALUE (30, 166, 60 x 12; it shows 3) is taken when the window
# manager activates the main window (as its keys or a task bar do), before a key typed
# there acts: OFFSET's VALUE beside it (126, 166) shows the offset rescaled (1.9 x 3 /
# 2.5), and the keys change the view.
offset_shot() {
  shot "$out/offset-$1.png"
  convert "$out/offset-$1.png" -crop "105x21+$((ox + 220))+$((oy + 290))" +repage "$out/offset-$1.png"
}
offset_shot a
click $((ox + 52 + 52)) $((oy + 290 + 10))
sleep 0.5
xdotool key ctrl+a; sleep 0.3; xdotool type --delay 20 "2.5"; sleep 0.5
xdotool windowactivate --sync "$main"; sleep 0.5
view_key x
view_key X
offset_shot b
same "$out/offset-a.png" "$out/offset-b.png" &&
  fail "a scalar typed into the scalar/offset dialog was lost when the window manager activated the main window"
# Another scalar typed into VALUE is taken when the main window is clicked next: the
# dialog shows it, and the working file saved at the end keeps it with the offset
# rescaled (scalar x offset stays 3 x 1.9).
click $((ox + 52 + 52)) $((oy + 290 + 10))
sleep 0.5
xdotool key ctrl+a; sleep 0.3; xdotool type --delay 20 "2"; sleep 0.5
value_shot() {
  shot "$out/value-$1.png"
  convert "$out/value-$1.png" -crop "105x21+$((ox + 52))+$((oy + 290))" +repage "$out/value-$1.png"
}
# A point of the plot that neither dialog covers (px, py).
plot_point() {
  local id inside
  for px in $((mx + 40)) $((mx + mw - 40)); do
    for py in $((my + 100)) $((my + mh - 40)); do
      inside=""
      for id in "$control" "$dsp"; do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$px" -ge "$X" ] && [ "$px" -lt $((X + WIDTH)) ] && [ "$py" -ge "$Y" ] && [ "$py" -lt $((Y + HEIGHT)) ]; then
          inside=1
        fi
      done
      [ -z "$inside" ] && return 0
    done
  done
  fail "the dialogs cover the plot"
}
plot_point
click "$px" "$py"
sleep 1; value_shot taken
cp "$out/value-taken.png" "$build/ui-check/value.png"
settle
# A click on the row the channel list shows (in the strip below it) sends the channel
# key on: the channel it shows (2, in green) is hidden, and the dialog gives the focus
# back to the main window, which comes up with the keyboard: x and X typed next change
# the view there, and 2 shows channel 2 again.
main_has_keyboard() {   # $1: after what
  local focused
  for _ in $(seq 30); do
    focused=$(xdotool getwindowfocus getwindowname 2>/dev/null || true)
    case "$focused" in "QUIVRANE 95 "*) return 0 ;; esac
    sleep 0.1
  done
  fail "the main window did not get the keyboard back $1 (\"$focused\" has it)"
}
click $((ox + 42 + 16)) $((oy + 3 + 18))
clicked="after the row of the scalar/offset dialog's channel list was clicked"
settle
if convert "$out/plot-b.png" -format %c histogram:info: | grep -q "#00AA00"; then
  fail "a click on the row of the scalar/offset dialog's channel list did not hide its channel"
fi
main_has_keyboard "$clicked"
view_key x "$clicked"
view_key X "$clicked"
view_key 2 "$clicked"
all_channels_drawn "channel 2 was shown again by its key"
# The dialog kept its channel list: a click beside RGB gives it the keyboard, and it
# takes Up: it selects channel 1, the dialog sends the channel key on (channel 1 is
# hidden) and gives the focus back to the main window, where x and X typed next change
# the view, and 1 shows channel 1 again.
click $((ox + 260)) $((oy + 8))
sleep 0.5
xdotool key Up
chosen="after a channel was chosen in the scalar/offset dialog's list"
main_has_keyboard "$chosen"
shot "$out/chosen.png"
cp "$out/chosen.png" "$build/ui-check/chosen.png"
view_key x "$chosen"
view_key X "$chosen"
view_key 1 "$chosen"
all_channels_drawn "channel 1 was shown again by its key"
# Its caption dragged with the mouse (real motion, in steps, let go at once after the
# last) moves it as far as the pointer went.
eval "$(xdotool getwindowgeometry --shell "$dsp")"
x0=$X y0=$Y
xdotool mousemove $((X + 60)) $((Y + 10)) mousedown 1; sleep 0.3
xdotool mousemove $((X + 90)) $((Y + 30)); sleep 0.3
xdotool mousemove $((X + 120)) $((Y + 50)) mouseup 1; sleep 1
eval "$(xdotool getwindowgeometry --shell "$dsp")"
[ "$X" = $((x0 + 60)) ] && [ "$Y" = $((y0 + 40)) ] ||
  fail "the caption dragged by (60, 40) moved the dialog from $x0,$y0 to $X,$Y"
close_box "DSP SCALAR/OFFSET"
gone "DSP SCALAR/OFFSET"
# Two dialogs of set A (its TB boxes: scalar/offset at (0, 74), line shape at (0, 144))
# open beside the control dialog, not over it or each other, and stay in sight when the
# control dialog is clicked.
click $((cx + 1 + 10)) $((cy + 1 + 20 + 74 * 14 / 8 + 8))
window "SIM SCALAR/OFFSET/SLOPE"
click $((cx + 1 + 10)) $((cy + 1 + 20 + 144 * 14 / 8 + 8))
window "SIM LINESHAPE"
eval "$(xdotool getwindowgeometry --shell "$control")"
cw=$WIDTH
click $((cx + cw / 2)) $((cy + HEIGHT - 30))       # an empty part of the control dialog
sleep 1
shot "$out/beside.png"
places=""
declare -A caption_at   # a point of each dialog's caption still in sight
for title in "SIM SCALAR/OFFSET/SLOPE" "SIM LINESHAPE"; do
  eval "$(xdotool getwindowgeometry --shell "$(first_window "^$title\$")")"
  places="$places $X,$Y"
  for ((x = X + 4; x < X + WIDTH - 24; x += 8)); do
    if [ "$x" -lt "$cx" ] || [ "$x" -ge $((cx + cw)) ] || [ $((Y + 10)) -lt "$cy" ]; then
      if [ "$(pixel_of "$out/beside.png" "$x" $((Y + 10)))" = "10,36,106" ]; then caption_at[$title]="$x $((Y + 10))"; break; fi
    fi
  done
  [ -n "${caption_at[$title]:-}" ] || fail "the dialog \"$title\" is hidden by the simulation control dialog"
done
read -r first second <<<"$places"
[ "$first" != "$second" ] || fail "the two dialogs of the set opened over each other"
cp "$out/beside.png" "$build/ui-check/beside.png"
# A click on what shows of each brings it to the front; its close box closes it; the
# control dialog's too.
for title in "SIM LINESHAPE" "SIM SCALAR/OFFSET/SLOPE"; do
  # shellcheck disable=SC2086
  click ${caption_at[$title]}
  close_box "$title"
  gone "$title"
done
close_box "SIMULATION CONTROL DIALOG"
gone "SIMULATION CONTROL DIALOG"
settle

# File > Exit asks where to save the working file; Return takes the proposed name,
# and Yes replaces the file there.
click "$(bar_x 0)" "$bar_y"
click $((mx + 1 + 20)) $((my + 1 + 20 + 20 + 2 + 165 + 9))   # Exit, below eight rows and three separators
window "Save As"
shot "$out/screen-app.png"
xdotool key Return
window "Confirm Save As"
xdotool key Return
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the workbench did not end"
wait "$app_pid" || fail "the workbench ended with an error"
app_pid=""
# (grep reads the whole file: with -q it could stop early and fail the pipe.)
tr -d '\r' <"$work/demo.QVW" | grep -x " *$comment *" >/dev/null || fail "the typed comment is not in the saved working file: $(sed -n 6p "$work/demo.QVW")"
if grep -F "$escaped" "$work/demo.QVW" >/dev/null; then fail "the comment left with Escape was taken"; fi
tr -d '\r' <"$work/demo.QVW" | grep -E "^ *2 +0 +1 +baseline\.bin +2\.00000000e\+00 +2\.85000000e\+00 *\$" >/dev/null ||
  fail "the scalar typed into the scalar/offset dialog is not in the saved working file: $(grep baseline "$work/demo.QVW" | head -1)"

# The screenshot shows the main window's caption, the channels in their colours and
# the save dialog over them.
colours=$(identify -format "%k" "$out/screen-app.png")
[ "$colours" -ge 5 ] || fail "the workbench screenshot shows only $colours colours"
pixel() { convert "$out/screen-app.png" -crop "1x1+$1+$2" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" info:; }
[ "$(pixel $((mx + 5)) $((my + 10)))" = "10,36,106" ] || fail "no caption at the main window's place"
plot_of "$out/screen-app.png" "$out/plot-app.png"
histogram=$(convert "$out/plot-app.png" -format %c histogram:info:)
for colour in "#FF0000" "#0000FF" "#00AA00"; do
  grep -q "$colour" <<<"$histogram" || fail "the plot shows no channel in $colour"
done
cp "$out/screen-app.png" "$build/ui-check/workbench.png"

# ---- a start on a new working-file name --------------------------------------------------
# Its two warnings (no such file, default values) open in turn above the main window
# and hold the keyboard: Return, sent to the focused window, answers each.
(cd "$work" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" exec "$qv95" "$work/fresh.QVW") >"$log.out" 2>"$log.err" &
app_pid=$!
box_open() {   # whether the box $box is still there
  local ids
  ids=$(windows_matching "^Warning\$") || return 1
  grep -qx "$box" <<<"$ids"
}
boxes=0
for _ in $(seq 600); do
  if box=$(windows_matching "^Warning\$"); then
    box=${box%%$'\n'*}
    sleep 1
    focused=$(xdotool getwindowfocus getwindowname 2>/dev/null || true)
    [ "$focused" = "Warning" ] || fail "warning $((boxes + 1)) of the start-up does not have the keyboard (\"$focused\" has)"
    eval "$(xdotool getwindowgeometry --shell "$box")"
    shot "$out/box.png"
    [ "$(convert "$out/box.png" -crop "1x1+$((X + WIDTH - 30))+$((Y + 10))" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" info:)" = "10,36,106" ] ||
      fail "warning $((boxes + 1)) of the start-up is not above the main window"
    boxes=$((boxes + 1))
    xdotool key Return
    for _ in $(seq 100); do box_open || break; sleep 0.1; done
    box_open && fail "Return did not answer warning $boxes of the start-up"
    [ "$boxes" = 2 ] && break
  else
    sleep 0.1
  fi
done
[ "$boxes" = 2 ] || fail "the start on a new working file showed $boxes warnings, not 2"
first_window "^QUIVRANE 95 .*\[fresh.QVW\]" >/dev/null || fail "no main window on the new working file"
# The main window's close box asks where to save the working file; Cancel there ends
# the program without writing it.
sleep 1
close_box "QUIVRANE 95 .*\[fresh.QVW\]"
window "Save As"
xdotool key Escape
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the workbench did not end when its save dialog was cancelled"
wait "$app_pid" || fail "the workbench ended with an error"
app_pid=""
[ -e "$work/fresh.QVW" ] && fail "cancelling the save dialog wrote the working file"
echo "ui-check: passed ($build/ui-check/screen.png, $build/ui-check/workbench.png, $build/ui-check/status.png, $build/ui-check/beside.png, $build/ui-check/menu.png)"
