#!/usr/bin/env bash
# The shipped Windows programs under Wine, like a user would run them: the zip's contents
# and the DLLs its programs need, the window driven with xdotool, its file compared byte
# for byte with the Linux command line's, the warning box, the exit status, and the command
# line; then the views the window program opens for the paths it is given on its command
# line or dropped onto it. Every wait is for a state of a window or a file, never for a
# fixed time, so that a machine whose processors are busy gives the same result, only later.
# $1: the zip, $2: the Linux hushmaker-cli, $3 (optional): the window program built with
# the dump of its views (tests/app/view_probe.cpp), beside LAME's DLL, $4 (optional, with
# $3): tests' drag source of the Linux build (tests/ui/drag_source.cpp).
# DISPLAY: a 1024x768 screen; WINEPREFIX: a prepared Wine prefix.
set -u
zip=$(readlink -f "$1")
linux_cli=$(readlink -f "$2")
probe=${3:+$(readlink -f "$3")}
drag_source=${4:+$(readlink -f "$4")}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../e2e_harness.sh"

# The zip: one folder of its own name holding exactly the programs, LAME's DLL, the
# README and the licence texts.
name=$(basename "$zip" .zip)
unzip -q "$zip" -d "$scratch/unpacked" || fail "$zip does not unpack"
shipped=$scratch/unpacked/$name
expected="LICENSE-FLTK.txt LICENSE-LAME.txt LICENSE.txt README.txt hushmaker-cli.exe hushmaker.exe libmp3lame-0.dll"
[ -e "$(dirname "$0")/../../LICENSE" ] || expected=${expected/LICENSE.txt /}  # the project's own
listed=$(cd "$shipped" && ls | sort | xargs)
[ "$listed" = "$expected" ] || fail "the zip holds '$listed', expected '$expected'"
[ "$(ls "$scratch/unpacked")" = "$name" ] || fail "the zip's top level is not one folder $name"
grep -q "GNU LIBRARY GENERAL PUBLIC LICENSE" "$shipped/LICENSE-LAME.txt" || fail "LAME's licence text is not LAME's"
grep -q "FLTK License" "$shipped/LICENSE-FLTK.txt" || fail "FLTK's licence text is not FLTK's"

# Every DLL a shipped file names is LAME's, beside it, or one of Windows' own (Wine
# carries a stand-in of each of those in system32).
system32=$WINEPREFIX/drive_c/windows/system32
for binary in "$shipped"/*.exe "$shipped"/*.dll; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | awk '/DLL Name:/ {print $3}'); do
    [ -e "$shipped/$dll" ] && continue
    [ -n "$(find "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ] ||
      fail "$(basename "$binary") needs $dll, which Windows does not have"
  done
done

# The program file carries icon group 102 (one 32 x 32 image of 24 bits) and the version
# resource.
wrestool -x --type=14 --name=102 "$shipped/hushmaker.exe" >"$scratch/icon.ico" 2>/dev/null
icotool -l "$scratch/icon.ico" 2>/dev/null | grep -q -- "--width=32 --height=32 --bit-depth=24" ||
  fail "hushmaker.exe has no icon group 102 with a 32 x 32, 24-bit image"
wrestool -x --raw --type=16 --name=1 "$shipped/hushmaker.exe" 2>/dev/null | strings -el |
  grep -qx "Empty .mp3 file encoder" || fail "hushmaker.exe has no version resource describing it"

# wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s; false when time ran out.
wait_until() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# again TIMES SECONDS CHECK ACTION...: ACTION, until CHECK (evaluated) holds within SECONDS,
# at most TIMES times: under Wine a key sent before the window takes it is now and then lost.
again() {
  local times=$1 seconds=$2 check=$3 try
  shift 3
  for ((try = 1; try <= times; try++)); do
    [ "$try" -eq 1 ] || echo "note: sent again: ${*: -1}"
    "$@" 2>/dev/null
    wait_until "$seconds" eval "$check" && return 0
  done
  return 1
}

# find_window PATTERN: the first visible window of the program $pid whose title matches,
# waited for up to 60 s (Wine gives each window the process id of the program).
find_window() {
  local pattern=$1 found
  wait_until 60 eval 'found=$(xdotool search --all --onlyvisible --pid "$pid" --name "$pattern" 2>/dev/null | head -n 1); [ -n "$found" ]' &&
    echo "$found"
}

# start PROGRAM ARGUMENT...: the Windows program, from the current folder; $pid, and
# $window its first window.
start() {
  wine "$@" >/dev/null 2>&1 &
  pid=$!
  window=$(find_window '^Hushmaker$') && return 0
  fail "$(basename "$1") ${*:2} showed no window"
  kill "$pid"
  return 1
}

# ends STATUS ACTION...: ACTION, sent again while the program runs, ends it with STATUS.
ended() { ! kill -0 "$pid" 2>/dev/null; }
ends() {
  local expected=$1 status
  shift
  again 12 5 ended "$@" || { fail "${*: -1} did not end the program"; kill "$pid"; }
  wait "$pid"
  status=$?
  [ "$status" -eq "$expected" ] || fail "the program ended with status $status, expected $expected"
}
# end_program: Escape on the main window ends the program with status 18. A click into the
# feedback field first: under Wine without a window manager a closed box leaves no window
# active.
end_program() { ends 18 xdotool mousemove --window "$window" 300 300 click 1 windowfocus --sync "$window" key Escape; }

# The window's state, read from its screen: a checksum of what a part of it shows
# (AREA: WxH+X+Y in the window), and the colour of one pixel.
shows() { import -window "$window" -crop "$1" +repage rgb:- 2>/dev/null | md5sum | cut -d' ' -f1; }
pixel() { import -window "$window" -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}'; }
# The fields of the main window (see ui/main_window_ui.cpp).
NAME_FIELD=170x30+395+190 TIME_FIELD=170x30+395+145 STATUS_FIELD=170x30+395+100
FEEDBACK_FIELD=566x95+16+249
# settled AREA BEFORE: the area shows something other than BEFORE, the same twice in a row.
settled() {
  local now
  now=$(shows "$1")
  [ "$now" != "$2" ] || return 1
  sleep 0.2
  [ "$(shows "$1")" = "$now" ]
}
# Drawn and waiting: the welcome text's own colour where no letter is, the window settled.
drawn() { [ "$(pixel 18 60)" = "#BF91BF" ] && settled 598x396+0+0 none; }
# type_into AREA X Y TEXT: clicks the field at X,Y of the window, empties it and types
# TEXT, until the field settles on something new.
retype() {
  xdotool windowfocus --sync "$window" mousemove --window "$window" "$1" "$2" click 1 \
    key --clearmodifiers ctrl+a BackSpace && xdotool type --delay 50 "$3"
}
type_into() {
  local area=$1 before
  before=$(shows "$area")
  again 3 20 'settled "$area" "$before"' retype "$2" "$3" "$4"
}
# press_generate: Alt+G, until the feedback field shows the run's announcement.
press_generate() {
  local before
  before=$(shows $FEEDBACK_FIELD)
  again 3 30 '[ "$(shows $FEEDBACK_FIELD)" != "$before" ]' xdotool windowfocus --sync "$window" key --clearmodifiers alt+g
}
# idle_after_run: a run of Generate is over: the status shows Idle again and the feedback
# field its closing text.
idle_after_run() { [ "$(shows $STATUS_FIELD)" = "$idle" ] && [ "$(shows $FEEDBACK_FIELD)" != "$no_feedback" ]; }

# same MADE LINUX: the Windows program's file holds the Linux command line's bytes. The
# tag's year is the local year of each run; should the year turn during this test, the four
# bytes of the year are left out of the comparison.
year_before=$(date +%Y)
same() {
  [ "$year_before" = "$(date +%Y)" ] && { cmp -s "$1" "$2"; return; }
  local year_at=$(($(stat -c %s "$1") - 128 + 93))
  cmp -s <(head -c "$year_at" "$1"; tail -c +$((year_at + 5)) "$1") \
         <(head -c "$year_at" "$2"; tail -c +$((year_at + 5)) "$2")
}
compared=(windows/voice.mp3:linux/voice.mp3 cli/voice.mp3:linux/voice.mp3)

# The window: placed at the screen's centre, it types the name voice and 3 into "Silence
# Time:" (at 395,145 in the window) and writes the file on Alt+G.
mkdir "$scratch/windows" && cd "$scratch/windows" || exit 1
if start "$shipped/hushmaker.exe"; then
  wait_until 60 drawn || fail "the main window never showed its welcome"
  placed=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                                       /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
  [ "$placed" = "213 186 598 396" ] || fail "window at '$placed', expected '213 186 598 396'"
  idle=$(shows $STATUS_FIELD) no_feedback=$(shows $FEEDBACK_FIELD)
  # Each field is typed into once the one before shows what was typed; that both went where
  # they belong, the file's name and bytes tell.
  type_into $NAME_FIELD 480 205 voice || fail "the name field never showed the name typed"
  type_into $TIME_FIELD 480 160 3 || fail "\"Silence Time:\" never showed the length typed"
  press_generate || fail "Alt+G started no run"
  wait_until 120 test -e voice.mp3 || fail "Alt+G wrote no voice.mp3"
  # The window pauses after writing, then is idle again.
  wait_until 60 idle_after_run || fail "the window did not come back to Idle after writing"

  # A name in a folder that does not exist, and names Windows reserves: the writer's
  # warning box from the line of its check, closed by Return, and no file made.
  while IFS='|' read -r typed line; do
    type_into $NAME_FIELD 480 205 "$typed" || fail "the name field never showed '$typed'"
    press_generate || fail "Alt+G started no run for '$typed'"
    if box=$(find_window '^Called from: '); then
      caption=$(xdotool getwindowname "$box")
      [ "$caption" = "Called from: \"hushmaker\", line $line" ] ||
        fail "the box for '$typed' has the caption '$caption'"
      xdotool windowfocus --sync "$box" key Return
      wait_until 60 eval '! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable' ||
        fail "Return did not close the box"
      # The window pauses after a failed run, then is idle again.
      wait_until 60 idle_after_run || fail "the window did not come back to Idle after '$typed'"
    else
      fail "no warning box for the name '$typed'"
    fi
  done <<'END'
missing\voice|215
C:voice|124
END
  # Its bytes are compared with the Linux command line's below.
  [ "$(ls -A)" = voice.mp3 ] || fail "the Windows program's folder holds: $(ls -A)"
  end_program
fi

# The Linux command line's file, which the Windows programs' files must equal.
mkdir "$scratch/linux" && cd "$scratch/linux" || exit 1
"$linux_cli" -q 3 voice || fail "the Linux hushmaker-cli failed"

mkdir "$scratch/cli" && cd "$scratch/cli" || exit 1
# The second run replaces the first one's file.
for seconds in 1 3; do
  wine "$shipped/hushmaker-cli.exe" "$seconds" voice >/dev/null 2>"$scratch/stderr" ||
    fail "hushmaker-cli.exe $seconds voice: status $?, stderr: $(cat "$scratch/stderr")"
done
[ "$(ls -A)" = voice.mp3 ] || fail "the command line's folder holds: $(ls -A)"
# A list is read as UTF-8, as the programs speak to the system: the name's letters reach
# the file's name.
mkdir "$scratch/utf8"
printf '1 Grüße\r\n' >"$scratch/list.txt"
(cd "$scratch" && wine "$shipped/hushmaker-cli.exe" -q -d utf8 --batch list.txt 2>stderr)
[ "$(ls -A "$scratch/utf8")" = "Grüße.mp3" ] ||
  fail "a list naming Grüße made '$(ls -A "$scratch/utf8")': $(cat "$scratch/stderr")"

# What only the Windows command line meets (the name rules themselves are the unit tests'
# rows, which also run here): a drive-relative name, cmd's \" trap and a folder given as the
# list. Each is told with its reason and nothing is written.
mkdir "$scratch/names" && cd "$scratch/names" || exit 1
while IFS='|' read -r arguments reason; do
  eval "wine \"\$shipped/hushmaker-cli.exe\" $arguments" >stdout 2>stderr
  status=$?
  [ "$status" -eq 2 ] && grep -qF -- "$reason" stderr ||
    fail "hushmaker-cli.exe $arguments: status $status, stderr: $(cat stderr)"
done <<'END'
2 C:voice|names a drive or a stream
-d 'out" 1 x'|holds a quote: a folder name that ends in \" takes the quote
--batch .|cannot read .: it is a folder, not a list
END
[ "$(ls -A | xargs)" = "stderr stdout" ] || fail "refused names left: $(ls -A)"

# The views, opened by paths with a drive letter, backslashes and letters beyond ASCII: a
# folder of voice files named on the command line opens the check view, whose rows (read
# back from the window program built with its views' dump) are those hushmaker-cli.exe
# --check tells; a package and its folder dragged from a Linux program onto the window
# arrive as a Windows file drop (Wine makes one of a list of file URIs) and open the level
# view on that folder.
views=$scratch/views
mkdir -p "$views/Stimmen-Grüße" "$views/Stufe-Grüße" && cd "$views" || exit 1
(cd "Stimmen-Grüße" && "$linux_cli" -q 2 gut) || fail "the Linux hushmaker-cli failed"
printf 'no sound' >"Stimmen-Grüße/kaputt.mp3"
printf '%s\r\n' 'VERSION 1' 'REFERENCE KYLE_HI' 'LANG_ENGLISH "Hello there, Kyle."' 'REFERENCE JAN_GO' \
  'LANG_ENGLISH "Go!"' 'ENDMARKER' >"mymap.str"
folder=$(winepath -w "$views/Stimmen-Grüße")
if start "$shipped/hushmaker.exe" "$folder"; then
  find_window '^Check: Stimmen-Grüße$' >/dev/null || fail "hushmaker.exe FOLDER opened no check view"
  end_program
fi
dump=$scratch/dump
dumped() { grep -q "$@" "$dump" 2>/dev/null; }
if [ -n "$probe" ] && HUSHMAKER_PROBE_DUMP=$(winepath -w "$dump") start "$probe" "$folder"; then
  if wait_until 60 dumped $'^check\tCheck: Stimmen-Grüße\t.*\t1$'; then
    shown=$(awk -F'\t' '$1 == "check" { counts = $3 }
      $1 == "cell" { cell[$2, $3] = $4; if ($2 + 1 > rows) rows = $2 + 1 }
      END {
        for (r = 0; r < rows; r++) {
          if (cell[r, 2] != "") print cell[r, 0] ": " cell[r, 1] ", caption " cell[r, 2] " (" cell[r, 3] ")"
          else print cell[r, 0] ": " cell[r, 1] ": " cell[r, 3]
        }
        print counts
      }' "$dump")
    # Named there from the folder's own name on.
    told=$(wine "$shipped/hushmaker-cli.exe" --check "$folder" 2>/dev/null | tr -d '\r')
    told=${told//"$folder\\"/"Stimmen-Grüße\\"}
    [ "$shown" = "$told" ] && [ "$(wc -l <<<"$told")" -eq 3 ] ||
      fail "the check view shows:
$shown
where hushmaker-cli.exe --check says:
$told"
  else
    fail "no check view of $folder was dumped: $(cat "$dump" 2>/dev/null)"
  fi

  # The drag source is let go once the drag is over the window's welcome text (above the
  # check view). Alt+W then writes each line's file into the folder, which holds no voice
  # file yet, byte for byte what the Linux command line writes.
  if [ -n "$drag_source" ]; then
    "$drag_source" "file://$views/mymap.str"$'\r\n'"file://$views/Stufe-Gr%C3%BC%C3%9Fe"$'\r\n' \
      "$scratch/pointer" 2>/dev/null &
    dragging=$!
    if source_window=$(pid=$dragging find_window '^drag source '); then
      xdotool mousemove --window "$source_window" 60 60 mousedown 1 mousemove --window "$source_window" 70 70 \
        mousemove --window "$window" 300 40
      wait_until 60 eval '[ "$(cat "$scratch/pointer" 2>/dev/null)" = "$window" ]' || fail "the drag never got over the window"
      xdotool mouseup 1
    else
      fail "the drag source showed no window"
    fi
    opened=level$'\t'mymap.str$'\t'$(winepath -w "$views/mymap.str")$'\t'$(winepath -w "$views/Stufe-Grüße")\\$'\t'
    written=$'^level\tmymap.str\t.*\t2 files written, 0 failed\t'
    if level_window=$(find_window '^mymap.str$') && wait_until 60 dumped -F "$opened"; then
      again 3 30 'dumped "$written"' xdotool windowfocus --sync "$level_window" key --clearmodifiers alt+w ||
        fail "Alt+W did not write the level: $(grep '^level' "$dump")"
    else
      fail "the dropped package opened no level view on its folder: $(cat "$dump" 2>/dev/null)"
    fi
    kill "$dragging"
    (mkdir linux-level && "$linux_cli" -q --strings mymap.str -d linux-level) ||
      fail "the Linux hushmaker-cli wrote no level"
    compared+=(views/Stufe-Grüße/kyle_hi.mp3:views/linux-level/kyle_hi.mp3
               views/Stufe-Grüße/jan_go.mp3:views/linux-level/jan_go.mp3)
  fi
  end_program
fi
# --help has no console to print to: it is told in a box, and ends with status 0 once the
# box is closed, before any other window.
if start "$shipped/hushmaker.exe" --help; then
  xwininfo -id "$window" | grep -q "Width: 598" && fail "--help showed the main window"
  ends 0 xdotool windowfocus --sync "$window" key Return
fi

[ "$(cd "$views/Stimmen-Grüße" && ls | xargs)" = "gut.mp3 kaputt.mp3" ] ||
  fail "opening wrote into the folder: $(cd "$views/Stimmen-Grüße" && ls | xargs)"

for pair in "${compared[@]}"; do
  same "$scratch/${pair%:*}" "$scratch/${pair#*:}" || fail "${pair%:*} differs from the Linux ${pair#*:}"
done

finish "Windows checks"
