#!/usr/bin/env bash
# Starts the real program like a user would and checks placement, the screenshot, the
# keys that end it, the exit status, and the start without a display.
# $1: the hushmaker program, $2: the build folder. DISPLAY: a 1024x768 screen.
set -u
program=$(readlink -f "$1")
artifacts=$2/test-artifacts
mkdir -p "$artifacts"
failures=0
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# start_program: starts the program in the background and waits for its window;
# sets pid and window.
start_program() {
  (cd "$work_dir" && exec "$program") &
  pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" --name '^Hushmaker$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && return 0
    sleep 0.1
  done
  fail "no Hushmaker window appeared on $DISPLAY"
  return 1
}

# wait_for_exit EXPECTED: waits up to 10 s for the program to end with that status.
wait_for_exit() {
  local expected=$1 status
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "program still running after the key"
    kill "$pid"
    return
  fi
  wait "$pid"
  status=$?
  [ "$status" -eq "$expected" ] || fail "exit status $status, expected $expected"
}

# geometry_of WINDOW: prints "x y width height" as xwininfo reports them.
geometry_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                            /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

press_key() {
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool key --window "$window" --clearmodifiers "$1"
}

# Placement on 1024x768, the screenshot, and Escape.
if start_program; then
  sleep 0.5
  geometry=$(geometry_of "$window")
  [ "$geometry" = "213 186 598 396" ] || fail "window at '$geometry', expected '213 186 598 396'"
  import -window root "$artifacts/startup-1024x768.png" || fail "no screenshot"
  xprop -id "$window" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no 32 x 32 icon"
  press_key Escape
  wait_for_exit 18
fi

# Enter presses Exit.
if start_program; then
  press_key Return
  wait_for_exit 18
fi

# Another screen size: the same centring formula, (800-598)/2 and (600-396)/2.
other_screen=$(xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  ( "$0" & echo $! > "$1/pid" ) 
  pid=$(cat "$1/pid")
  for _ in $(seq 100); do
    w=$(xdotool search --onlyvisible --pid "$pid" --name "^Hushmaker\$" 2>/dev/null | head -n 1)
    [ -n "$w" ] && break
    sleep 0.1
  done
  [ -n "$w" ] && xwininfo -id "$w" | awk "/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}"
  kill "$pid"' "$program" "$work_dir" 2>/dev/null)
[ "$other_screen" = "101 102" ] || fail "on 800x600 the window is at '$other_screen', expected '101 102'"

# No display: one clear line on stderr and status 1.
(cd "$work_dir" && env -u DISPLAY "$program" 2>"$work_dir/stderr" >/dev/null)
status=$?
[ "$status" -eq 1 ] || fail "without a display the status is $status, expected 1"
lines=$(wc -l <"$work_dir/stderr")
[ "$lines" -eq 1 ] || fail "without a display stderr has $lines lines: $(cat "$work_dir/stderr")"
grep -q "display" "$work_dir/stderr" || fail "the message does not mention the display"

[ -z "$(ls -A "$work_dir" | grep -v -x -e stderr -e pid)" ] || fail "the program left files: $(ls "$work_dir")"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "start-up checks passed"
