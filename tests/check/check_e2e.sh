#!/usr/bin/env bash
# hushmaker-cli --check as a map maker runs it on a folder of voice files: the lines, the
# count, the exit status, and that it writes nothing (its usage mistakes are in the
# command line's table, cli_e2e.sh). $1: hushmaker-cli.
set -u
unset DISPLAY
cli=$(realpath "$1")
streams=$(mktemp -d)  # outside $work, which is checked
trap 'rm -rf "$streams"' EXIT
work=$streams/work
source "$(dirname "$0")/../e2e_harness.sh"
run() { run_in "$work" "$@"; }

# The folder walk: subfolders among the names in byte order, extensions in any case, no
# other files, and no links to folders, which could lead round in a circle.
mkdir -p "$work/voices/npc" && cd "$work" || exit 1
sox -R -D -n -r 44100 -c 1 -b 16 voices/line.WAV synth 2 sine 440 vol 0.5
lame --quiet -V 9 voices/line.WAV voices/npc/small.Mp3
echo notes >voices/notes.txt
ln -s .. voices/npc/up
"$cli" -q 4 voices/own
listing=$(find . | sort; cat voices/npc/*.*3 | md5sum)

# Captions: the decoded bytes that the loader's own routine counts in these files, and the
# frame that the game adds to a voice file it keeps as MP3.
small="voices/npc/small.Mp3: Jedi Outcast refuses it: sampled at 22,050 Hz; the game takes only 44,100 Hz"
own="voices/own.mp3: Jedi Outcast plays it, caption 3.996 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)"
run --check voices
expect "a folder" 1 "voices/line.WAV: Jedi Outcast plays it, caption 2.000 s (WAV, 16-bit PCM, 44,100 Hz, mono)
$small
$own
3 files: 2 play, 1 does not" ""
[ "$(find . | sort; cat voices/npc/*.*3 | md5sum)" = "$listing" ] || fail "--check changed the folder"

# Quiet: only what does not play, on stderr. A file that cannot be read is told on stderr
# and counted; a single file is not.
run -q --check voices
expect quiet 1 "" "$small"
run --check voices/own.mp3 voices/gone.mp3
expect "a missing file" 1 "$own
2 files: 1 plays, 1 does not" "hushmaker-cli: voices/gone.mp3: cannot be read: No such file or directory"
run --check voices/own.mp3
expect "one file" 0 "$own" ""

finish "all --check cases"
