#!/usr/bin/env bash
# Makes the README's picture of the check view, tools/check_view.png: a level's voice
# folder as map makers have them (files made here with hushmaker-cli, SoX and LAME, and
# removed after), opened by the window program on a virtual screen of its own.
#
#   tools/screenshot_check_view.sh [BUILD_FOLDER]    (default: build)
#
# Needs the programs built there, and Xvfb, xdotool, ImageMagick, sox and lame (./test.sh
# installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(readlink -f "${1:-build}")
out=$PWD/tools/check_view.png
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

(cd "$scratch/sound/chars" && HOME=$scratch exec "$build/app/hushmaker" mymap) &
pids+=($!)
window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Check: mymap$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no check view appeared" >&2; exit 1; }
# Taken once two screenshots in a row agree: the window is drawn.
previous=
for _ in $(seq 100); do
  import -window "$window" "$scratch/shot.png"
  current=$(convert "$scratch/shot.png" rgb:- | md5sum)
  [ "$current" = "$previous" ] && break
  previous=$current
  sleep 0.1
done
convert "$scratch/shot.png" -strip "$out"
echo "wrote $out"
