#!/usr/bin/env bash
# Makes the README's pictures of the views, tools/check_view.png and tools/level_view.png:
# a level's voice folder as map makers have them (files made here with hushmaker-cli, SoX
# and LAME, and removed after), opened by the window program on a virtual screen of its
# own; then the level's package over another folder, written with Alt+W.
#
#   tools/screenshot_views.sh [BUILD_FOLDER]    (default: build)
#
# Needs the programs built there, and Xvfb, xdotool, ImageMagick, sox and lame (./test.sh
# installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(readlink -f "${1:-build}")
tools=$PWD/tools
scratch=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$scratch"' EXIT

voices=$scratch/sound/chars/mymap
mkdir -p "$voices"
cli=$build/cli/hushmaker-cli
(cd "$voices" && "$cli" -q 2 kyle_greeting && "$cli" -q 5 guard_stop)
sox -R -D -n -r 44100 -c 1 -b 16 "$voices/jan_wait.wav" synth 3 sine 330 vol 0.5
sox -R -D -n -r 44100 -c 2 -b 16 "$scratch/stereo.wav" synth 3 sine 440 sine 660 vol 0.5
cp "$scratch/stereo.wav" "$voices/guard_call.wav"
lame --quiet -V 9 "$voices/jan_wait.wav" "$voices/intro.mp3"
lame --quiet -b 128 --id3v2-only --tt Luke "$voices/jan_wait.wav" "$voices/luke_hello.mp3"

display=90
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# shoot TITLE PICTURE: the program's window so titled, once two screenshots in a row agree
# (it is drawn), into tools/PICTURE.
shoot() {
  local window= previous= current
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no window $1 appeared" >&2; exit 1; }
  for _ in $(seq 100); do
    import -window "$window" "$scratch/shot.png"
    current=$(convert "$scratch/shot.png" rgb:- | md5sum)
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.1
  done
  convert "$scratch/shot.png" -strip "$tools/$2"
  echo "wrote tools/$2"
  shot_window=$window
}

(cd "$scratch/sound/chars" && HOME=$scratch exec "$build/app/hushmaker" mymap) &
pids+=($!)
shoot '^Check: mymap$' check_view.png
kill "${pids[-1]}"

# The README's level, with a line whose file is recorded already.
mkdir -p "$scratch/level/strip" "$scratch/level/sound/chars/mymap"
cp "$voices/luke_hello.mp3" "$scratch/level/sound/chars/mymap/"
printf '%s\n' 'VERSION 1' 'CONFIG W:\bin\striped.cfg' 'ID 200' 'REFERENCE MYMAP' 'COUNT 4' \
  'INDEX 0' '{' 'REFERENCE KYLE_GREETING' 'TEXT_LANGUAGE1 "Hello there, ^1Kyle^7."' '}' \
  'INDEX 1' '{' 'REFERENCE GUARD_STOP' \
  'TEXT_LANGUAGE1 "Stop right there!\nNobody passes this gate without orders, soldier."' '}' \
  'INDEX 2' '{' 'REFERENCE JAN_WAIT' 'NOTES "no line yet"' '}' \
  'INDEX 3' '{' 'REFERENCE LUKE_HELLO' 'TEXT_LANGUAGE1 "Hello, Kyle."' '}' >"$scratch/level/strip/mymap.sp"
(cd "$scratch/level" && HOME=$scratch exec "$build/app/hushmaker" strip/mymap.sp sound/chars/mymap) &
pids+=($!)
shoot '^mymap.sp$' level_view.png
xdotool windowfocus --sync "$shot_window" key alt+w
for _ in $(seq 300); do
  [ -e "$scratch/level/sound/chars/mymap/guard_stop.mp3" ] && break
  sleep 0.1
done
shoot '^mymap.sp$' level_view.png
