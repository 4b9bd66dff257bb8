#!/usr/bin/env bash
# Real boxes under X: a warning box appears as its own modal window with the caption as
# title and the framed text, keeps clicks from the window behind it, closes on Return;
# an error box closes on OK and ends the process with status 1.
# $1: the box_demo program, $2: the build folder. DISPLAY: the test screen.
set -u
demo=$1
artifacts=$2/test-artifacts
mkdir -p "$artifacts"
work_dir=$(mktemp -d)
output=$work_dir/output
failures=0
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work_dir"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# wait_for_window NAME_REGEX: prints the id of the visible window so named (10 s).
wait_for_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# wait_for_output TEXT: waits until the program has printed a line TEXT (10 s).
wait_for_output() {
  for _ in $(seq 100); do
    grep -qx "$1" "$output" && return 0
    sleep 0.1
  done
  return 1
}

# colour_pixels FILE WINDOW HEX: how many pixels of that colour the window shows.
colour_pixels() {
  local file=$1 window=$2 hex=$3
  eval "$(xdotool getwindowgeometry --shell "$window")"
  convert "$file" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -format %c histogram:info:- |
    awk -v hex="$hex" 'toupper($0) ~ hex { sub(":", "", $1); total += $1 } END { print total + 0 }'
}

(cd "$work_dir" && exec "$demo") >"$output" 2>&1 &
pid=$!

warning=$(wait_for_window '^Called from: "box_demo\.cpp", line 17$') || {
  fail "no warning box titled with its caption appeared"
  cat "$output"
  exit 1
}
main=$(xdotool search --name '^Box demo main$' | head -n 1)

xwininfo -id "$warning" | grep -q "Map State: IsViewable" || fail "warning box not viewable"
xprop -id "$warning" WM_TRANSIENT_FOR | grep -q "window id" ||
  fail "warning box is not its own window over the program"
xprop -id "$warning" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "warning box not modal"

shot=$artifacts/support_warning_box.png
import -window root "$shot"
# The yellow of the warning triangle, and black text on the grey box.
[ "$(colour_pixels "$shot" "$warning" '#FAC81E')" -gt 100 ] || fail "no warning icon in $shot"
[ "$(colour_pixels "$shot" "$warning" '#000000')" -gt 300 ] || fail "no text in $shot"

# click WINDOW X Y: raises the window first, since other programs may share the screen.
click() {
  xdotool windowraise "$1" mousemove --window "$1" "$2" "$3" click 1
}

# A click on the window behind the box must not reach its button.
click "$main" 150 100
sleep 0.5
grep -qx "button pressed" "$output" && fail "the window behind the box took a click"

# Sent to the box itself (only the press: the box is gone before a release would
# arrive), so the test does not depend on where the keyboard focus is.
xdotool keydown --window "$warning" Return
wait_for_output "warning closed" || fail "Return did not close the warning box"
sleep 0.2
xdotool search --onlyvisible --name 'line 17' >/dev/null 2>&1 && fail "warning box still shown"

# With the box gone the window takes clicks again; its button raises an error box.
click "$main" 150 100
wait_for_output "button pressed" || fail "the window did not take clicks after the box"
error=$(wait_for_window '^Called from: "box_demo\.cpp", line 23$') || {
  fail "no error box appeared"
  exit 1
}
error_shot=$artifacts/support_error_box.png
import -window root "$error_shot"
[ "$(colour_pixels "$error_shot" "$error" '#C81E1E')" -gt 100 ] || fail "no error icon in $error_shot"

eval "$(xdotool getwindowgeometry --shell "$error")"
click "$error" $((WIDTH / 2)) $((HEIGHT - 29))
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  fail "OK did not end the program after the error box"
else
  wait "$pid"
  status=$?
  pid=""
  [ "$status" -eq 1 ] || fail "exit status after the error box: $status, expected 1"
fi

if [ "$failures" -ne 0 ]; then
  echo "--- program output"
  cat "$output"
  exit 1
fi
echo "boxes shown, dismissed and ended as expected"
