#!/usr/bin/env bash
# Makes a silent MP3 with the real program like a person: types a name and a length,
# presses Alt+G, waits, checks the file with an independent decoder, ends with Enter.
# $1: the hushmaker program, $2: the build folder. DISPLAY: a 1024x768 screen.
set -u
program=$1
artifacts=$2/test-artifacts
mkdir -p "$artifacts"
failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# start_in FOLDER: starts the program there and waits for its window; sets pid, window.
start_in() {
  (cd "$1" && exec "$program") &
  pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" --name '^Hushmaker$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    fail "no Hushmaker window appeared on $DISPLAY"
    return 1
  fi
  sleep 0.3
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}

# wait_for_exit EXPECTED: waits up to 10 s for the program to end with that status.
wait_for_exit() {
  local expected=$1 status
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "program still running after Enter"
    kill "$pid"
    return
  fi
  wait "$pid"
  status=$?
  [ "$status" -eq "$expected" ] || fail "exit status $status, expected $expected"
}

# set_length SECONDS: clicks into "Silence Time:", clears it and types the length.
set_length() {
  # The field is at (395, 145) and 170 x 30 in the window.
  xdotool mousemove --window "$window" 480 160 click 1
  xdotool key --clearmodifiers End BackSpace BackSpace BackSpace BackSpace BackSpace
  xdotool type --delay 50 "$1"
}

# A 3-second file named in the name field, which has the focus from the start.
made="$scratch/made"
mkdir "$made"
if start_in "$made"; then
  hints=$(xprop -id "$window" WM_NORMAL_HINTS)
  grep -q "minimum size: 598 by 396" <<<"$hints" && grep -q "maximum size: 598 by 396" <<<"$hints" ||
    fail "the window can be resized: $hints"
  xdotool type --delay 50 "voice.wav"
  set_length 3
  xdotool key --clearmodifiers alt+g
  # 3.5 s of pauses plus the writer's own time.
  for _ in $(seq 150); do
    [ -s "$made/voice.mp3" ] && break
    sleep 0.1
  done
  sleep 4
  import -window "$window" "$artifacts/after-generate.png" 2>/dev/null ||
    echo "note: no screenshot of the finished run"
  xdotool key --clearmodifiers Return
  wait_for_exit 18

  if [ -s "$made/voice.mp3" ]; then
    samples=$(( $(mpg123 -q -s "$made/voice.mp3" 2>/dev/null | wc -c) / 2 ))
    [ "$samples" -eq $((3 * 44100)) ] ||
      fail "voice.mp3 decodes to $samples samples, expected $((3 * 44100)) (3 s)"
  else
    fail "no voice.mp3 in the working directory: $(ls -A "$made")"
  fi
  extra=$(ls -A "$made" | grep -v -x voice.mp3)
  [ -z "$extra" ] || fail "other files were left: $extra"
fi

# Length 0 (the start-up value): the program asks for seconds and makes nothing.
nothing="$scratch/nothing"
mkdir "$nothing"
if start_in "$nothing"; then
  xdotool type --delay 50 "voice"
  xdotool key --clearmodifiers alt+g
  sleep 5.5
  xdotool key --clearmodifiers Return
  wait_for_exit 18
  [ -z "$(ls -A "$nothing")" ] || fail "a run with length 0 made: $(ls -A "$nothing")"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "generate checks passed"
