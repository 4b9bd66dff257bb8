#!/usr/bin/env bash
# A real warning box under X: its own modal window titled with the caption, showing icon
# and text, closed by Return. $1: box_demo, $2: the build folder.
shot=$2/test-artifacts/support_warning_box.png
mkdir -p "$(dirname "$shot")"
output=$(mktemp)
"$1" >"$output" 2>&1 &
trap 'kill $! 2>/dev/null; rm -f "$output"' EXIT
fail() { echo "FAIL: $*"; cat "$output"; exit 1; }
wait_until() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
find_box() { box=$(xdotool search --onlyvisible --name '^Called from: "box_demo\.cpp", line 17$' | head -n 1); [ -n "$box" ]; }
pixels() {  # pixels HEX: how many pixels of that colour the screenshot holds
  convert "$shot" -format %c histogram:info:- |
    awk -v hex="$1" 'toupper($0) ~ hex { sub(":", "", $1); n += $1 } END { print n + 0 }'
}

wait_until find_box || fail "no warning box titled with its caption appeared"
xprop -id "$box" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "warning box not modal"
sleep 0.3  # let it draw
import -window "$box" "$shot"
[ "$(pixels '#FAC81E')" -gt 100 ] || fail "no yellow warning icon in $shot"
[ "$(pixels '#000000')" -gt 300 ] || fail "no text in $shot"
# Only the press, sent to the box itself: the box is gone before a release would arrive.
xdotool keydown --window "$box" Return
wait_until grep -qx "warning closed" "$output" || fail "Return did not close the warning box"
