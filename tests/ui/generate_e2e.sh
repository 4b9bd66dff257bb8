#!/usr/bin/env bash
# Makes silent MP3s with the real program like a person and checks them with a decoder.
# $1: the hushmaker program, $2: the build folder (with hushmaker-cli). DISPLAY: a
# 1024x768 screen.
set -u
program=$1
cli=$2/cli/hushmaker-cli
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# run_in FOLDER NAME SECONDS: starts the program there, types the name into the focused
# name field and the length into "Silence Time:" (at 395,145 in the window), presses
# Alt+G, waits out the run and ends the program with Enter, which must give status 18.
run_in() {
  mkdir "$1"
  (cd "$1" && exec "$program") &
  local pid=$! window status
  window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$pid" --name '^Hushmaker$' | head -n 1)
  [ -n "$window" ] || { kill "$pid"; fail "no Hushmaker window appeared"; }
  xdotool sleep 0.3 windowfocus --sync "$window"
  xdotool type --delay 50 "$2"  # type takes every word after it as text
  xdotool mousemove --window "$window" 480 160 click 1 key --clearmodifiers End BackSpace
  xdotool type --delay 50 "$3"
  xdotool key --clearmodifiers alt+g sleep $((6 + $3)) key Return
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
  kill "$pid" 2>/dev/null && fail "still running after Enter"
  wait "$pid" || status=$?
  [ "${status:-0}" -eq 18 ] || fail "exit status ${status:-0}, expected 18"
}

run_in "$scratch/made" voice.wav 3
samples=$(($(mpg123 -q -s "$scratch/made/voice.mp3" | wc -c) / 2))
[ "$samples" -eq $((3 * 44100)) ] || fail "voice.mp3 decodes to $samples samples, not 3 s"
[ "$(ls -A "$scratch/made")" = voice.mp3 ] || fail "the folder holds: $(ls -A "$scratch/made")"

# The command line makes the same bytes for the same length and name, the tag's year
# (4 bytes, 35 from the end) aside.
mkdir "$scratch/cli"
(cd "$scratch/cli" && env -u DISPLAY "$cli" -q 3 voice.wav) || fail "hushmaker-cli failed"
for part in "head -c -35" "tail -c 31"; do
  cmp -s <($part "$scratch/made/voice.mp3") <($part "$scratch/cli/voice.mp3") ||
    fail "hushmaker-cli's voice.mp3 differs from the window's ($part)"
done

run_in "$scratch/nothing" voice 0
[ -z "$(ls -A "$scratch/nothing")" ] || fail "a run with length 0 made: $(ls -A "$scratch/nothing")"

echo "generate checks passed"
