#!/usr/bin/env bash
# The views as a person opens them, in the window program built with a dump of what its
# views show (tests/app/view_probe.cpp): named on the command line, dragged from another
# program's window, chosen with Ctrl+O. The check view's rows are compared with
# hushmaker-cli --check's lines and its screenshot is read for every text whole inside its
# cell; the shipped program's --help, a bad option and its own check view are checked too.
# Every wait is for a state of the windows or files, never for a fixed time.
# $1: the probe, $2: tests' drag source, $3: hushmaker-cli, $4: hushmaker, $5: the build
# folder. DISPLAY: 1024x768.
set -u
probe=$(readlink -f "$1") drag_source=$(readlink -f "$2") cli=$(readlink -f "$3")
program=$(readlink -f "$4") artifacts=$5/test-artifacts
scratch=$(mktemp -d)
started=()
trap 'kill "${started[@]}" 2>/dev/null; rm -rf "$scratch"' EXIT
work=$scratch/work home=$scratch/home dump=$scratch/dump pointer=$scratch/pointer
mkdir -p "$artifacts" "$work/voices" "$home"
source "$(dirname "$0")/../e2e_harness.sh"

# wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s; false when time ran out.
wait_until() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}
# find_window TITLE: the first visible window so titled (a pattern) in $window.
find_window() { window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1); [ -n "$window" ]; }
gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
dumped() { grep -q "$1" "$dump" 2>/dev/null; }

# --help and a bad option, which need no display and open no window.
help=$(env -u DISPLAY "$program" --help)
status=$?
[ "$status" -eq 0 ] && grep -q "Ctrl+O chooses a string package" <<<"$help" &&
  grep -q "dropped onto the window" <<<"$help" || fail "--help: status $status, said: $help"
said=$(env -u DISPLAY "$program" --bogus 2>&1 >/dev/null)
status=$?
[ "$status|$said" = "2|hushmaker: unknown option --bogus
Try 'hushmaker --help' for more information." ] || fail "a bad option: status $status, said: $said"

# A level's voice folder: the writer's own file, a recording that LAME's small-file setting
# made at 22,050 Hz, which the game refuses, and notes; its two packages beside it.
sox -R -D -n -r 44100 -c 1 -b 16 "$scratch/tone.wav" synth 2 sine 440 vol 0.5
lame --quiet -V 9 "$scratch/tone.wav" "$work/voices/refused.mp3"
(cd "$work" && "$cli" -q 3 voices/good) || fail "hushmaker-cli made no voice file"
echo "notes" >"$work/voices/notes.txt"
printf 'VERSION 1\nCONFIG W:\\bin\\striped.cfg\nID 200\nREFERENCE MYMAP\nCOUNT 0\n' >"$work/my map.sp"
printf 'VERSION 1\r\nENDMARKER\r\n' >"$work/mymap.str"
listing() { (cd "$work" && find . -printf '%p %s\n' | sort); }
before=$(listing)

# start PROGRAM ARGUMENT...: in the folder $here (the work folder unless set) with a
# scratch home; $pid, and $main its window.
start() {
  local started_program=$1
  shift
  (cd "${here:-$work}" && HOME=$home HUSHMAKER_PROBE_DUMP=$dump exec "$started_program" "$@" 2>"$scratch/stderr") &
  pid=$!
  started+=("$pid")
  wait_until 30 find_window '^Hushmaker$' && main=$window && return 0
  fail "no Hushmaker window appeared; the program said: $(cat "$scratch/stderr")"
  return 1
}

# end: Escape on the main window ends the program with status 18, views and all.
end() {
  xdotool windowfocus --sync "$main" key Escape 2>/dev/null
  wait_until 30 eval '! kill -0 "$pid" 2>/dev/null' || { fail "Escape did not end the program"; kill "$pid"; }
  wait "$pid"
  local status=$?
  [ "$status" -eq 18 ] || fail "the program ended with status $status, expected 18"
}

# The shipped program opens the check view of a folder named on its command line.
if start "$program" voices; then
  wait_until 30 find_window '^Check: voices$' || fail "hushmaker voices opened no check view"
  end
fi

# check_rows: the dumped check view's rows as --check lines, and its counts line.
check_rows() {
  awk -F'\t' '$1 == "check" { counts = $3 }
    $1 == "cell" { cell[$2, $3] = $4; if ($2 + 1 > rows) rows = $2 + 1 }
    END {
      for (r = 0; r < rows; r++) {
        if (cell[r, 2] != "") print cell[r, 0] ": " cell[r, 1] ", caption " cell[r, 2] " (" cell[r, 3] ")"
        else print cell[r, 0] ": " cell[r, 1] ": " cell[r, 3]
      }
      print counts
    }' "$dump"
}

# read_cells WINDOW NAME KIND: each text of the view's KIND of cells (cell: the check view's,
# lcell: the level view's) inside its cell on the screen: some of its ink in the cell, none
# in the cell's last columns, where a text too long for its cell would be cut; a verdict
# of a refused file in red. The screenshot is kept as NAME.png.
read_cells() {
  import -window "$1" "$artifacts/$2.png" 2>/dev/null &&
    convert "$artifacts/$2.png" -depth 8 "$scratch/shot.ppm" 2>/dev/null &&
    python3 - "$scratch/shot.ppm" "$dump" "$3" >"$scratch/cells" <<'END'
import sys
data = open(sys.argv[1], "rb").read()
fields, at = [], 0
while len(fields) < 4:
    while data[at:at + 1].isspace():
        at += 1
    start = at
    while not data[at:at + 1].isspace():
        at += 1
    fields.append(data[start:at])
width, height, pixels = int(fields[1]), int(fields[2]), data[at + 1:]
def pixel(x, y):
    i = 3 * (y * width + x)
    return pixels[i], pixels[i + 1], pixels[i + 2]
problems = []
for line in open(sys.argv[2], encoding="utf-8"):
    parts = line.rstrip("\n").split("\t")
    kind = sys.argv[3]
    if parts[0] not in (kind, kind.replace("cell", "header")) or parts[-5] == "" or parts[-4] == "-1":
        continue
    text = parts[-5]
    x, y, w, h = map(int, parts[-4:])
    ink = [cx for cx in range(x + 2, x + w - 2) for cy in range(y + 2, y + h - 2)
           if sum(pixel(cx, cy)) < 3 * 128]
    if not ink:
        problems.append("no text drawn for %r" % text)
    elif max(ink) > x + w - 4:
        problems.append("%r reaches its cell's right edge at %d (cell %d..%d)" % (text, max(ink), x, x + w - 1))
    red = [1 for cx in range(x, x + w) for cy in range(y, y + h)
           if pixel(cx, cy)[0] > pixel(cx, cy)[1] + 60]
    if text.endswith("refuses it") and not red:
        problems.append("%r is not red" % text)
print("\n".join(problems))
sys.exit(1 if problems else 0)
END
}

# Started with the folder: the rows read back from the check view's table.
if start "$probe" voices; then
  if wait_until 30 dumped $'^check\tCheck: voices\t.*\t1$' && find_window '^Check: voices$'; then
    view=$window
    expected=$(cd "$work" && "$cli" --check voices)
    [ "$(check_rows)" = "$expected" ] || fail "the check view shows:
$(check_rows)
where --check says:
$expected"
    grep -q "refuses it: sampled at 22,050 Hz" <<<"$expected" || fail "--check did not refuse the 22,050 Hz file"
    wait_until 30 read_cells "$view" check_view cell || fail "the check view's screenshot: $(cat "$scratch/cells")"
    # Escape closes the view alone.
    xdotool windowfocus --sync "$view" key Escape 2>/dev/null
    wait_until 30 gone '^Check: voices$' || fail "Escape did not close the check view"
    wait_until 30 eval '! dumped "^check"' || fail "the closed check view is still dumped"
  else
    fail "no drawn check view of voices: $(cat "$dump" 2>/dev/null)"
  fi

  # The package and its folder dragged from another program onto the welcome text: the
  # level view opens on that folder. The button is let go once the drag is over the window.
  "$drag_source" "file://$work/my%20map.sp"$'\r\n'"file://$work/voices"$'\r\n' "$pointer" 2>"$scratch/drag.log" &
  started+=($!)
  if wait_until 30 find_window "^drag source $!\$"; then
    xdotool mousemove --window "$window" 60 60 mousedown 1 mousemove --window "$window" 70 70 \
      mousemove --window "$main" 300 40
    wait_until 30 eval '[ "$(cat "$pointer" 2>/dev/null)" = "$main" ]' || fail "the drag never got over the window"
    xdotool mouseup 1
    wait_until 30 dumped $'^level\tmy map.sp\t'"$work/my map.sp"$'\t'"$work/voices/"$'\t' ||
      fail "the dropped package opened no level view on its folder: $(cat "$dump" 2>/dev/null)"
  else
    fail "the drag source showed no window"
  fi

  # Ctrl+O: the chooser starts in the output folder, where the name is typed.
  xdotool windowfocus --sync "$main" key ctrl+o 2>/dev/null
  if wait_until 30 find_window '^Open a String Package$'; then
    xdotool windowfocus --sync "$window" type --delay 50 mymap.str
    xdotool key Return
    wait_until 30 dumped $'^level\tmymap.str\t'"$work/mymap.str"$'\t'"$work/"$'\t' ||
      fail "the package chosen with Ctrl+O opened no level view: $(cat "$dump" 2>/dev/null)"
  else
    fail "Ctrl+O opened no chooser"
  fi
  end
fi

[ "$(listing)" = "$before" ] || fail "opening wrote into the folder: $(diff <(echo "$before") <(listing))"

# A level: started with its package and voice folder, the level view's rows read back are
# the lines --strings --list gives; Alt+W writes each line's file, which mpg123 decodes at
# its length and which holds the bytes --strings writes; the main window tells the counts.
level=$scratch/level
mkdir -p "$level/strip" "$level/sound/chars/mymap" "$level/cli"
printf '%s\n' 'VERSION 1' 'CONFIG W:\bin\striped.cfg' 'ID 200' 'REFERENCE MYMAP' 'COUNT 3' \
  'INDEX 0' '{' 'REFERENCE KYLE_GREETING' 'TEXT_LANGUAGE1 "Hello there, ^1Kyle^7."' '}' \
  'INDEX 1' '{' 'REFERENCE GUARD_STOP' \
  'TEXT_LANGUAGE1 "Stop right there!\nNobody passes this gate without orders, soldier. Turn back now."' '}' \
  'INDEX 2' '{' 'REFERENCE JAN_WAIT' 'NOTES "no line yet"' '}' >"$level/strip/mymap.sp"
listed=$(cd "$level" && "$cli" --strings strip/mymap.sp --list 2>/dev/null | grep -v '^#')
(cd "$level" && "$cli" -q --strings strip/mymap.sp -d cli 2>/dev/null)
here=$level
if start "$probe" strip/mymap.sp sound/chars/mymap; then
  if wait_until 30 dumped $'^level\tmymap.sp\t.*\t1$' && find_window '^mymap.sp$'; then
    view=$window
    shown=$(awk -F'\t' '$1 == "lcell" && $3 == 0 { name[$2] = tolower($4) ".mp3" }
      $1 == "lcell" && $3 == 2 && $4 != "" { print $4 " " name[$2] }' "$dump")
    [ "$shown" = "$listed" ] || fail "the level view shows the lengths
$shown
where --strings --list gives
$listed"
    grep -q $'^problem\tmymap.sp:18: JAN_WAIT: no text yet, so no file$' "$dump" ||
      fail "the level view does not list JAN_WAIT's problem: $(grep '^problem' "$dump")"
    wait_until 30 read_cells "$view" level_view lcell || fail "the level view's screenshot: $(cat "$scratch/cells")"
    xdotool windowfocus --sync "$view" key alt+w 2>/dev/null
    wait_until 60 dumped $'^level\tmymap.sp\t.*\t2 files written, 0 failed\tidle\t' ||
      fail "Alt+W did not write the level: $(grep '^level' "$dump")"
    for file in kyle_greeting.mp3:2 guard_stop.mp3:6; do
      written=$level/sound/chars/mymap/${file%:*}
      bytes=$(mpg123 -q -s "$written" 2>/dev/null | wc -c)
      [ "$bytes" -eq $((${file#*:} * 88200)) ] || fail "${file%:*} decodes to $bytes bytes, not ${file#*:} s"
      # The tag's year, 35 bytes from the end, aside.
      cmp -s <(head -c -35 "$written") <(head -c -35 "$level/cli/${file%:*}") ||
        fail "${file%:*} differs from the file --strings writes"
    done
    grep -q $'^main\tIdle\t.*>>> 2 files written, 0 failed$' "$dump" ||
      fail "the main window does not tell the level's writing: $(grep '^main' "$dump")"
  else
    fail "no drawn level view of mymap.sp: $(cat "$dump" 2>/dev/null)"
  fi
  end
fi
[ "$(ls "$level/sound/chars/mymap" | xargs)" = "guard_stop.mp3 kyle_greeting.mp3" ] ||
  fail "the level's folder holds: $(ls "$level/sound/chars/mymap")"
[ -z "$(ls -A "$home")" ] || fail "the program wrote into the home folder: $(find "$home")"
finish "view checks"
