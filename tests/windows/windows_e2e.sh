#!/usr/bin/env bash
# The shipped Windows programs under Wine, like a user would run them: the zip's contents
# and the DLLs its programs need, the window driven with xdotool, its file compared byte
# for byte with the Linux command line's, the warning box, the exit status, and the command
# line. $1: the zip, $2: the Linux hushmaker-cli.
# DISPLAY: a 1024x768 screen; WINEPREFIX: a prepared Wine prefix.
set -u
zip=$(readlink -f "$1")
linux_cli=$(readlink -f "$2")
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

# find_window PATTERN: the first visible window of the program whose title matches,
# waited for up to 15 s (Wine gives each window the process id of the program).
find_window() {
  local found
  for _ in $(seq 150); do
    found=$(xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}

year_before=$(date +%Y)

# The window: placed at the screen's centre, it types the name voice and 3 into "Silence
# Time:" (at 395,145 in the window) and writes the file on Alt+G.
mkdir "$scratch/windows" && cd "$scratch/windows" || exit 1
wine "$shipped/hushmaker.exe" >/dev/null 2>&1 &
pid=$!
if window=$(find_window '^Hushmaker$'); then
  placed=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                                       /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
  [ "$placed" = "213 186 598 396" ] || fail "window at '$placed', expected '213 186 598 396'"
  xdotool sleep 0.3 windowfocus --sync "$window"
  xdotool type --delay 50 voice
  xdotool mousemove --window "$window" 480 160 click 1 key --clearmodifiers End BackSpace
  xdotool type --delay 50 3
  xdotool key --clearmodifiers alt+g
  for _ in $(seq 300); do [ -e voice.mp3 ] && break; sleep 0.1; done
  sleep 4  # the window pauses after writing, before it is idle again
  # Its bytes are compared with the Linux command line's below.
  [ "$(ls -A)" = voice.mp3 ] || fail "the Windows program's folder holds: $(ls -A)"

  # A name in a folder that does not exist, and names Windows reserves: the writer's
  # warning box from the line of its check, closed by Return, and no file made.
  while IFS='|' read -r typed line; do
    xdotool mousemove --window "$window" 480 205 click 1 key --clearmodifiers ctrl+a BackSpace
    xdotool type --delay 50 "$typed"
    xdotool key --clearmodifiers alt+g
    if box=$(find_window '^Called from: '); then
      caption=$(xdotool getwindowname "$box")
      [ "$caption" = "Called from: \"hushmaker\", line $line" ] ||
        fail "the box for '$typed' has the caption '$caption'"
      xdotool windowfocus --sync "$box" key Return
      for _ in $(seq 50); do xwininfo -id "$box" 2>/dev/null | grep -q IsViewable || break; sleep 0.1; done
      xwininfo -id "$box" 2>/dev/null | grep -q IsViewable && fail "Return did not close the box"
      sleep 3  # the window pauses after a failed run, before it is idle again
    else
      fail "no warning box for the name '$typed'"
    fi
  done <<'END'
missing\voice|215
C:voice|124
END
  [ "$(ls -A)" = voice.mp3 ] || fail "after refused names the folder holds: $(ls -A)"
  # Escape ends the program with status 18. A click into the feedback field first: under
  # Wine without a window manager a closed box leaves no window active.
  xdotool mousemove --window "$window" 300 300 click 1 sleep 0.3 key Escape
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "Escape did not end hushmaker.exe" && kill "$pid"
  wait "$pid"
  status=$?
  [ "$status" -eq 18 ] || fail "hushmaker.exe ended with status $status, expected 18"
else
  fail "no Hushmaker window appeared"
  kill "$pid"
fi

# The Linux command line's file, which the Windows programs' files must equal.
mkdir "$scratch/linux" && cd "$scratch/linux" || exit 1
"$linux_cli" -q 3 voice || fail "the Linux hushmaker-cli failed"

mkdir "$scratch/cli" && cd "$scratch/cli" || exit 1
# The second run replaces the first one's file.
for seconds in 1 3; do
  wine "$shipped/hushmaker-cli.exe" "$seconds" voice >"$scratch/stdout" 2>"$scratch/stderr"
  status=$?
  [ "$status" -eq 0 ] ||
    fail "hushmaker-cli.exe $seconds voice: status $status, stderr: $(cat "$scratch/stderr")"
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

# The tag's year is the local year of each run; should the year turn during this test,
# the four bytes of the year are left out of the comparison.
year_after=$(date +%Y)
same() {
  [ "$year_before" = "$year_after" ] && { cmp -s "$1" "$2"; return; }
  local year_at=$(($(stat -c %s "$1") - 128 + 93))
  cmp -s <(head -c "$year_at" "$1"; tail -c +$((year_at + 5)) "$1") \
         <(head -c "$year_at" "$2"; tail -c +$((year_at + 5)) "$2")
}
reference=$scratch/linux/voice.mp3
if [ -e "$reference" ]; then
  for made in windows/voice.mp3 cli/voice.mp3; do
    [ -e "$scratch/$made" ] || continue
    same "$scratch/$made" "$reference" || fail "$made differs from the Linux voice.mp3"
  done
else
  fail "the Linux command line made no voice.mp3 to compare with"
fi

finish "Windows checks"
