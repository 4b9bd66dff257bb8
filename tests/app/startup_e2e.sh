#!/usr/bin/env bash
# The real program used as a person would, by keys and clicks, under a scratch home
# that must stay empty. $1: the hushmaker program, $2: the build folder, $3: hushmaker-cli.
# DISPLAY: 1024x768.
set -u
program=$(readlink -f "$1") cli=$(readlink -f "$3") artifacts=$2/test-artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
work_dir=$scratch/work home=$scratch/home opened=$scratch/opened unheld=$scratch/a\\b
mkdir -p "$artifacts" "$work_dir" "$home" "$scratch/bin" "$scratch/cli" "$unheld"
source "$(dirname "$0")/../e2e_harness.sh"
# The opener the program starts is found on PATH; this one records what it was given.
printf '#!/bin/sh\nprintf "%%s|%%s\\n" "$#" "$1" >>"%s"\n' "$opened" >"$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
wait_until() { for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done; return 1; }
# find_window TITLE: the first visible window so titled (a pattern) in $window.
find_window() { window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1); [ -n "$window" ]; }
# snap WINDOW AREA FORMAT: a picture of the window, or of a part of it (WxH+X+Y; empty:
# the whole); a grab still going after 10 s gives nothing.
snap() { timeout 10 import -window "$1" ${2:+-crop "$2" +repage} "$3" 2>/dev/null; }
# settled WINDOW [AREA]: it shows a picture that is not one colour, the same twice in a
# row: it is drawn and waits for input.
settled() {
  local before
  before=$(snap "$1" "${2:-}" rgb:- | md5sum)
  sleep 0.1
  [ "$(snap "$1" "${2:-}" rgb:- | md5sum)" = "$before" ] && [ "$(colours "$1" "${2:-}")" -gt 1 ]
}
# colours WINDOW [AREA]: how many colours it shows.
colours() { snap "$1" "${2:-}" miff:- | convert - -format %k info:- 2>/dev/null || echo 0; }
# The feedback field's inside, one colour when the field is empty.
FEEDBACK_INSIDE=540x80+24+256

# start_program [FOLDER]: starts the program there (default: the working folder) with the
# scratch home and the recording opener; $main is its window.
start_program() {
  (cd "${1:-$work_dir}" && HOME=$home PATH="$scratch/bin:$PATH" exec "$program" 2>"$scratch/stderr") &
  pid=$!
  wait_until find_window '^Hushmaker$' && main=$window && wait_until settled "$main" && return 0
  fail "no Hushmaker window appeared on $DISPLAY; the program said: $(cat "$scratch/stderr")"
  kill "$pid" 2>/dev/null
  return 1
}

# expect_end WAY: the program ends with status 18 within 10 s after WAY.
expect_end() {
  wait_until eval '! kill -0 "$pid" 2>/dev/null' || { fail "$1 did not end the program"; kill "$pid"; }
  wait "$pid"
  local status=$?
  [ "$status" -eq 18 ] || fail "$1 ended the program with status $status, expected 18"
}

# key KEY [WINDOW]: never "key --window" on a focused window, whose release then goes to a
# window that is gone and leaves the key held down for every later program.
key() { xdotool windowfocus --sync "${2:-$main}" key "$1" 2>/dev/null; }
# pixels HEX: how many pixels of that colour the box's screenshot holds.
pixels() {
  convert "$artifacts/warning_box.png" -format %c histogram:info:- |
    awk -v hex="$1" 'toupper($0) ~ hex { sub(":", "", $1); n += $1 } END { print n + 0 }'
}

# Centred on the 1024x768 screen, with its icon; then the name typed into the focused
# name field, 3 s into "Silence Time:", Alt+G, and Return once the file is there, which
# ends the program after the run's last pauses.
if start_program; then
  eval "$(xdotool getwindowgeometry --shell "$main")"
  [ "$X $Y $WIDTH $HEIGHT" = "213 186 598 396" ] ||
    fail "window at '$X $Y $WIDTH $HEIGHT', expected '213 186 598 396'"
  xprop -id "$main" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no 32 x 32 icon"
  xdotool windowfocus --sync "$main" type --delay 50 voice.wav
  xdotool mousemove --window "$main" 480 160 click 1 key --clearmodifiers End BackSpace
  xdotool type --delay 50 3
  xdotool key --clearmodifiers alt+g
  wait_until test -e "$work_dir/voice.mp3" || fail "Alt+G made no voice.mp3"
  key Return
  expect_end Return
  # The command line makes the same bytes, the tag's year (35 bytes from the end) aside.
  (cd "$scratch/cli" && env -u DISPLAY "$cli" -q 3 voice.wav) || fail "hushmaker-cli failed"
  without_year() { head -c -35 "$1" && tail -c 31 "$1"; }
  cmp -s <(without_year "$work_dir/voice.mp3") <(without_year "$scratch/cli/voice.mp3") ||
    fail "the window's voice.mp3 differs"
fi

# Started in a folder it cannot name: Alt+O opens the chooser and Escape closes it; the
# credit line starts the opener; Generate raises a real warning box, a modal window of its
# own titled with the caption, with a yellow icon and text, closed by Return alone; then a
# click on Exit ends it.
if start_program "$unheld"; then
  key alt+o
  wait_until find_window '^Select Output Directory$' && wait_until settled "$window" && key Escape "$window" &&
    wait_until eval '! find_window "^Select Output Directory$"' || fail "Alt+O and Escape did not open and close the chooser"
  # The opener gets the link as one argument, spaces and quotes encoded.
  xdotool mousemove --window "$main" 494 378 click 1
  wait_until test -s "$opened" || fail "the credit line started no opener"
  # The link is done once its text is gone from the feedback field.
  wait_until eval '[ "$(colours "$main" "$FEEDBACK_INSIDE")" = 1 ]' || fail "the link's text stayed"
  key alt+g
  if wait_until find_window '^Called from: "generate_command", line [0-9]+$'; then
    xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "the box is not modal"
    wait_until settled "$window"
    snap "$window" "" "$artifacts/warning_box.png"
    [ "$(pixels '#FAC81E')" -gt 100 ] || fail "no yellow warning icon in the box"
    [ "$(pixels '#000000')" -gt 300 ] || fail "no text in the box"
    # Only the press, sent to the box itself: the box is gone before a release would arrive.
    xdotool keydown --window "$window" Return
    wait_until eval '! xwininfo -id "$window" 2>/dev/null | grep -q IsViewable' || fail "Return did not close the box"
  else
    fail "Generate raised no box"
  fi
  xdotool mousemove --window "$main" 300 369 click 1
  expect_end "a click on Exit after the chooser, the link and the box"
  [ "$(cat "$opened")" = "1|mailto:feedback@hushmaker.invalid?subject=%22Hushmaker%20feedback%22" ] ||
    fail "the credit line opened '$(cat "$opened")'"
fi

(cd "$work_dir" && HOME=$home env -u DISPLAY "$program" 2>"$scratch/stderr" >/dev/null)
status=$? said=$(cat "$scratch/stderr")
[ "$status $(wc -l <"$scratch/stderr")" = "1 1" ] && [[ $said == *display* ]] ||
  fail "without a display: status $status (expected 1), stderr: $said"

# Only the window's voice.mp3: no run left anything else.
[ "$(ls -A "$work_dir")" = voice.mp3 ] || fail "the program left files in its folder: $(ls -A "$work_dir")"
[ -z "$(ls -A "$home")" ] || fail "the program wrote into the home folder: $(find "$home")"
finish "start-up checks"
