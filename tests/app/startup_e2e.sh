#!/usr/bin/env bash
# Starts the real program like a user would and checks placement, icon, the keys that end
# it, the exit status, and the start without a display.
# $1: the hushmaker program, $2: the build folder. DISPLAY: a 1024x768 screen.
set -u
program=$(readlink -f "$1")
artifacts=$2/test-artifacts
mkdir -p "$artifacts"
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# start_program: starts the program in the working folder and waits for its window.
start_program() {
  (cd "$work_dir" && exec "$program" 2>/dev/null) &
  pid=$!
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" --name '^Hushmaker$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && return 0
    sleep 0.1
  done
  fail "no Hushmaker window appeared on $DISPLAY"
  kill "$pid"
  return 1
}

# position: "x y width height" of the window as xwininfo reports it.
position() {
  xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                                /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# press_and_expect_end KEY: the key ends the program with status 18 within 10 s.
press_and_expect_end() {
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool key --window "$window" "$1" 2>/dev/null  # the window may be gone before xdotool lets go
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$1 did not end the program"
    kill "$pid"
  fi
  wait "$pid"
  local status=$?
  [ "$status" -eq 18 ] || fail "$1 ended the program with status $status, expected 18"
}

# Run again on another screen by the check below: print where the window opens.
if [ "${3:-}" = "--print-placement" ]; then
  start_program >/dev/null && position && kill "$pid"
  exit 0
fi

if start_program; then
  [ "$(position)" = "213 186 598 396" ] || fail "window at '$(position)', expected '213 186 598 396'"
  xprop -id "$window" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no 32 x 32 icon"
  sleep 0.5
  import -window root "$artifacts/startup-1024x768.png" || fail "no screenshot"
  press_and_expect_end Escape
fi
start_program && press_and_expect_end Return

# On 800x600 the same centring gives ((800-598)/2, (600-396)/2).
placed=$(xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$1" "$2" --print-placement 2>/dev/null)
[ "$placed" = "101 102 598 396" ] || fail "on 800x600 the window is at '$placed', expected '101 102 598 396'"

(cd "$work_dir" && env -u DISPLAY "$program" 2>"$work_dir/stderr" >/dev/null)
status=$?
[ "$status" -eq 1 ] || fail "without a display the status is $status, expected 1"
[ "$(wc -l <"$work_dir/stderr")" -eq 1 ] || fail "without a display stderr is: $(cat "$work_dir/stderr")"
grep -q "display" "$work_dir/stderr" || fail "the message does not mention the display"
rm "$work_dir/stderr"
[ -z "$(ls -A "$work_dir")" ] || fail "the program left files: $(ls -A "$work_dir")"

[ "$failures" -eq 0 ] || { echo "$failures start-up check(s) failed"; exit 1; }
echo "start-up checks passed"
