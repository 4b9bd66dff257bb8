#!/usr/bin/env bash
# The command-line program as a script runs it: no display, real files, a decoder for their
# lengths, and a real other user for a file it may not replace; then what it says when input
# or the system works against it. $1: hushmaker-cli, $2: the window program (checked only
# where a display is open). What the files hold is the writer's, checked in its own tests;
# the rules for names, list lines and string packages are checked in the unit tests, once
# here for each way through the program.
set -u
window=$(realpath "$2")
display=${DISPLAY:-}
unset DISPLAY
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
cli=$scratch/hushmaker-cli  # a copy, which the other user can surely run
cp "$1" "$cli"
work=$scratch/work
streams=$scratch
source "$(dirname "$0")/../e2e_harness.sh"

# fresh: an empty $work with the folders out/sub in it, open to every user.
fresh() { rm -rf "$work" && mkdir -m 777 "$work" && mkdir -p "$work/out/sub"; }

run() { run_in "$work" "$@"; }

# made: the MP3 files in $work.
made() { (cd "$work" && find . -name '*.mp3' | sort | xargs); }

# check_file PATH SECONDS: the length as mpg123 decodes it.
check_file() {
  local samples
  samples=$(($(mpg123 -q -s "$1" | wc -c) / 2))
  [ "$samples" -eq $(($2 * 44100)) ] || fail "$1 decodes to $samples samples, not $2 s"
}

ldd "$cli" | grep -E 'libfltk|libX11' && fail "linked with the toolkit or X"

# Single files: arguments | stdout | the file and its length. The longest name a file can
# have, 255 bytes with ".mp3", is written: the file written beside it until it is complete
# never takes a longer name.
long=$(printf 'n%.0s' {1..251})
while IFS='|' read -r arguments expected file seconds; do
  fresh
  eval "run $arguments"
  expect "$arguments" 0 "$expected" ""
  [ "$(made)" = "./$file" ] || fail "$arguments made $(made), not just $file"
  check_file "$work/$file" "$seconds"
done <<END
3|blankfile.mp3  3 s|blankfile.mp3|3
-q 1 quiet.mp3||quiet.mp3|1
--directory=out/ 0:03 'sub/v.1.wav'|out/sub/v.1.mp3  3 s|out/sub/v.1.mp3|3
-q 1 $long||$long.mp3|1
END

# A batch in UTF-16 with its mark, read as bytes, zero bytes and all: a comment, a blank
# line, names with blanks and a last line without a break. (The list's forms and the names
# it takes are the unit tests'.)
fresh
printf '# guard lines\n\n  1 guard greeting\r\n1:01\tguard  long speech ' |
  iconv -f UTF-8 -t UTF-16 >"$scratch/lines.txt"
run -d out --batch "$scratch/lines.txt"
expect batch 0 "out/guard greeting.mp3  1 s
out/guard  long speech.mp3  61 s
2 files written, 0 failed" ""

# A list with several bad lines from standard input: all reported, their control bytes
# escaped, then counted; nothing written. (What makes a line bad is the unit tests', but
# for a backslash in a name.)
fresh
run --batch - <<<$'1 fine\n2 a\\b\n3\033[2J v'
expect "bad list" 2 "" '<stdin>:2: the name holds a backslash, which cannot be written here; use / between folders
<stdin>:3: "3\x1b[2J" is not a length: give whole seconds (90), M:SS (1:30) or H:MM:SS (1:00:00)
hushmaker-cli: 2 bad lines in <stdin>; nothing was written'
[ -z "$(made)" ] || fail "a bad list made $(made)"

# One file of a batch cannot be replaced by this user: the others are written, it is left
# as it was, and the run ends with status 1.
fresh
echo "keep me" >"$work/locked.mp3" && chmod 444 "$work/locked.mp3"
printf '1 first\n1 locked\n1 last\n' >"$work/list"
[ "$(id -u)" -eq 0 ] && as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups"
run --batch list
as_user=""
[ "$status" -eq 1 ] && [ "$out" = "first.mp3  1 s
last.mp3  1 s
2 files written, 1 failed" ] && [ "$(cat "$work/locked.mp3")" = "keep me" ] &&
  grep -qx 'hushmaker-cli: locked.mp3 was not written' <<<"$err" ||
  fail "one failing file: status $status, stdout '$out', stderr '$err'"

# String packages. At 15 characters a second and at least 2 seconds: KYLE_HI reads 18
# characters, 2 s; GUARD_STOP 66, 5 s (its 78 bytes would make 6). Beside them, lines that
# get no file: SILENT has no text (told, no failure), jan_go is never found (skipped: status
# 1). Which lines the game never shows is the unit tests'. The folder is made first.
fresh
stop=$'"  ^3Stop right there!\\nNobody      passes this gate without\torders, ^7soldier. "'
printf '%s\n' 'VERSION 1' 'REFERENCE MYMAP' 'COUNT 5' \
  'INDEX 0' '{' 'REFERENCE KYLE_HI' 'TEXT_LANGUAGE1 "Hello there, ^1Kyle^7."' '}' \
  'INDEX 1' '{' 'REFERENCE GUARD_STOP' "TEXT_LANGUAGE1 $stop" '}' \
  'INDEX 2' '{' 'REFERENCE SILENT' '}' 'INDEX 3' '{' 'REFERENCE jan_go' 'TEXT_LANGUAGE1 "Go!"' '}' \
  >"$work/mymap.sp"
run --strings mymap.sp -d new/sound/chars/mymap
expect "mixed package" 1 "new/sound/chars/mymap/kyle_hi.mp3  2 s
new/sound/chars/mymap/guard_stop.mp3  5 s
2 files written, 0 failed, 1 line skipped" "mymap.sp:16: SILENT: no text yet, so no file
mymap.sp:20: jan_go: the game looks captions up in capitals, so a reference with a lower-case letter is never found
hushmaker-cli: made the folder new/sound/chars/mymap"

# A recording is never written over with silence unless asked for; a silent file is.
tone=$(dirname "$0")/../../fuzz/corpus/sound_content/tone.mp3
cp "$tone" "$work/new/sound/chars/mymap/kyle_hi.mp3"
run -q --strings mymap.sp -d new/sound/chars/mymap
[ "$status" -eq 1 ] && cmp -s "$work/new/sound/chars/mymap/kyle_hi.mp3" "$tone" &&
  [ "$(tail -n 1 <<<"$err")" = 'new/sound/chars/mymap/kyle_hi.mp3: kept: holds recorded sound' ] &&
  ! grep -q 'made the folder' <<<"$err" ||
  fail "recording kept: status $status, stderr '$err'"
run --strings mymap.sp -d new/sound/chars/mymap --list
grep -qx '# kept, holds sound: 2 kyle_hi.mp3' <<<"$out" || fail "--list of a recording: '$out'"
run --strings mymap.sp -d new/sound/chars/mymap --replace-recorded
grep -qx '2 files written, 0 failed, 1 line skipped' <<<"$out" ||
  fail "recording replaced: status $status, stdout '$out'"
check_file "$work/new/sound/chars/mymap/kyle_hi.mp3" 2

# The list that --list prints, writing nothing, makes the same files through --batch, even
# where a text holds bytes that would end a list's line.
printf 'VERSION "1"\nREFERENCE BELL\nLANG_ENGLISH "ding\a\rdong\033[2J!"\nENDMARKER\n' >"$work/bell.str"
run --strings bell.str --list
expect --list 0 '# ding\x07\rdong\x1b[2J!
2 bell.mp3' ""
(cd "$work" && "$cli" --strings mymap.sp --list 2>/dev/null | "$cli" -d out --batch - >"$streams/stdout")
[ "$(cat "$streams/stdout")" = "out/kyle_hi.mp3  2 s
out/guard_stop.mp3  5 s
2 files written, 0 failed" ] || fail "the printed list: '$(cat "$streams/stdout")'"

# The README's example, as it stands there, in a fresh folder: its package, its command
# and what the command prints.
fresh
readme=$(dirname "$0")/../../README.md
block() { awk -v from="$1" -v skip="$2" '
  index($0, from) == 1 { found = 1; next }
  found && /^```/ { if (skip-- > 0) { inside = !inside; next } else if (inside) exit; else { inside = 1; next } }
  found && inside && skip < 0 { print }' "$readme"; }
mkdir -p "$work/strip"
block 'A package `strip/mymap.sp`:' 0 >"$work/strip/mymap.sp"
example=$(block 'A package `strip/mymap.sp`:' 2)
command=$(head -n 1 <<<"$example")
[ "${command:0:16}" = '$ hushmaker-cli ' ] || fail "README example: no command in '$example'"
shown=$(cd "$work" && eval "\"\$cli\" ${command:16}" 2>&1)
[ "$shown" = "$(tail -n +2 <<<"$example")" ] || fail "README example prints '$shown'"

# A StringEd file on standard input, written, in French at 10 characters a second and at
# least 3 seconds: KYLE_HI's French (36) is 4 s; JAN_GO takes its English "Go!" (3), 3 s.
printf '%s\n' 'VERSION "1"' 'REFERENCE KYLE_HI' 'LANG_ENGLISH "Hello there, Kyle."' \
  'LANG_FRENCH "Bonjour, Kyle ! Comment allez-vous ?"' 'REFERENCE JAN_GO' 'LANG_ENGLISH "Go!"' \
  'ENDMARKER' >"$work/mymap.str"
run --strings - --language French --cps 10 --min-seconds 3 -d out <"$work/mymap.str"
expect "package on standard input" 0 "out/kyle_hi.mp3  4 s
out/jan_go.mp3  3 s
2 files written, 0 failed" ""

# A file the game refuses, and a folder that is a file: told, status 2, nothing written.
fresh
printf '%s\n' 'VERSION "1"' 'REFERENCE AUX' 'LANG_ENGLISH "Aux."' '  REFERENCE B' 'ENDMARKER' >"$work/bad.str"
run --strings bad.str -d made
expect "refused package" 2 "" "bad.str:4: a line that begins with a blank: the game takes a keyword only at the line's start: Jedi Academy refuses the file and quits at start-up
hushmaker-cli: the game refuses bad.str; nothing was written"
[ ! -e "$work/made" ] || fail "a refused package made its folder"
touch "$work/afile"
printf 'VERSION 1\nCOUNT 0\n' >"$work/none.sp"
run --strings none.sp
expect "an empty package" 2 "" "hushmaker-cli: none.sp holds no voice line (no REFERENCE of a line entry); nothing was written"
printf '1 voice\n' >"$work/list"
for option in "--strings bad.str" "--batch list"; do
  run $option -d afile
  expect "$option -d afile" 2 "" "hushmaker-cli: afile, given with -d, is not a folder; nothing was written"
done
run --batch list -d afile/sub
expect "a folder under a file" 1 "" "hushmaker-cli: cannot make the folder afile: Not a directory; nothing was written"
[ -z "$(made)" ] || fail "a folder that is a file: made $(made)"

# Help and version; the help gives the range and the game's limit from the core.
run --help
[ "$status" -eq 0 ] && [ "$(grep -cF -e 'SECONDS is the length, 1 to 28800' -e 'A length over 24347' \
  -e '1 to 100 (default 15)' -e '1 to 28800 seconds (default 2)' -e "folder's, else english" <<<"$out")" = 5 ] ||
  fail "--help: status $status, '$out'"
run --version
[ "$status" -eq 0 ] && grep -qx 'hushmaker-cli (Hushmaker) [0-9.]*' <<<"$(head -n 1 <<<"$out")" &&
  grep -q 'Engine version: *[0-9]' <<<"$out" || fail "--version: status $status, '$out'"

# Usage mistakes, a name that cannot be written among them: arguments | a part of the one
# line that tells why, before the hint; status 2, nothing written.
fresh
while IFS='|' read -r arguments why; do
  eval "run $arguments"
  [ "$status" -eq 2 ] && [ "$(wc -l <<<"$err")" -eq 2 ] && grep -qF -- "$why" <<<"$err" &&
    [ "$(tail -n 1 <<<"$err")" = "Try 'hushmaker-cli --help' for more information." ] &&
    [ -z "$(made)" ] || fail "'$arguments': status $status, stderr '$err'"
done <<'END'
--bogus 3|unknown option --bogus
|no length given
3 voice extra|extra argument "extra"
-d|option -d needs a value
0 voice|0 seconds
3 'a\b'|holds a backslash
-d out/sub 1 $(printf 'n%.0s' {1..251})|directory and file name are longer than 259
--batch list extra|extra argument "extra"
--list|option --list goes with --strings only
--cps 10 3 voice|option --cps goes with --strings only
--strings mymap.sp --cps 101|from 1 to 100, not "101"
--strings mymap.sp --cps 1.5|from 1 to 100, not "1.5"
--strings mymap.sp --min-seconds 0|--min-seconds takes a whole number from 1 to 28800, not "0"
--strings mymap.sp --language klingon|unknown language "klingon"
--strings mymap.sp --batch list|--batch and --strings exclude each other
--strings mymap.sp voice|extra argument "voice"
--check|--check needs a file or a folder
--check -d out out|--check writes nothing; it takes neither -d nor --batch
--check --batch list out|--check writes nothing; it takes neither -d nor --batch
END

# A list or package that cannot be read is a usage failure that names it and why; nothing
# is written.
while IFS='|' read -r arguments why; do
  eval "run $arguments"
  expect "$arguments" 2 "" "hushmaker-cli: cannot read $why"
done <<'END'
--batch missing.txt|missing.txt: No such file or directory
--batch out|out: it is a folder, not a list
--strings missing.sp|missing.sp: No such file or directory
END

# A report that cannot be written to standard output fails the run, though the file is made.
(cd "$work" && "$cli" 1 voice >/dev/full 2>"$scratch/stderr")
[ $? -eq 1 ] && [ "$(made)" = ./voice.mp3 ] && [ "$(cat "$scratch/stderr")" = \
  "hushmaker-cli: cannot write to standard output: No space left on device" ] ||
  fail "stdout on a full device: made $(made), stderr '$(cat "$scratch/stderr")'"

# A folder that is not there, its name with a terminal's escape sequence in it: the game's
# warning for this length, the writer's box on stderr, the file named, status 1, and the
# escape sequence shown as text.
run -d $'missing\033]0;pwned\a' 24348 long
name='missing\x1b]0;pwned\x07/long.mp3'
[ "$status" -eq 1 ] && grep -q '^Called from: "hushmaker", line [0-9]*$' <<<"$err" &&
  grep -F "hushmaker-cli: $name: Warning: " <<<"$err" | grep -q 'load a file over 24347 seconds' &&
  grep -qxF ">>> $name: No such file or directory" <<<"$err" &&
  grep -qxF "hushmaker-cli: $name was not written" <<<"$err" && ! grep -q $'\033' <<<"$err" ||
  fail "missing folder, past the game's limit: status $status, stderr '$(cat -A <<<"$err")'"

# Lists that never end or run too long, too little memory, a file-size limit: every case
# ends in a clear message. An endless list under a memory limit is refused at its first
# line, not read to the end.
fresh
cd "$work" || exit 1
err=$(ulimit -v 400000 && "$cli" --batch /dev/zero 2>&1 >/dev/null)
status=$?
[ "$status" -eq 2 ] && [ "$err" = $'/dev/zero:1: line too long (over 4096 bytes)\nhushmaker-cli: /dev/zero cannot be read as a list; nothing was written' ] ||
  fail "/dev/zero: status $status, $err"
yes '# comment' | head -n 100001 >many
run --batch many
[ "$status" -eq 2 ] && [ "$err" = 'hushmaker-cli: many has more than 100000 lines; nothing was written' ] ||
  fail "a list of 100,001 lines: status $status, $err"

# Too little memory for the samples is told in MiB: 28,800 s take 4 bytes a sample.
err=$(ulimit -v 1000000 && "$cli" 28800 big 2>&1 >/dev/null)
grep -qx '>>> Operator new failed to allocate 4845 MiB of memory to store WAV data' <<<"$err" ||
  fail "too little memory: $err"

# Both programs leave a file-size limit to fail the write instead of ending them.
# ignores_file_size_signal WAIT WHAT COMMAND...: WAIT seconds after COMMAND starts, SIGXFSZ
# (25) is bit 24 of its ignored set.
ignores_file_size_signal() {
  local mask pid
  "${@:3}" >/dev/null 2>&1 &
  pid=$!
  sleep "$1"
  mask=$(awk '/^SigIgn:/ { print $2 }' "/proc/$pid/status")
  (((0x$mask >> 24) & 1)) || fail "$2 does not ignore SIGXFSZ"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
printf '28800 slow\n' >slow.list
ignores_file_size_signal 0.1 hushmaker-cli "$cli" --batch slow.list
if [ -n "$display" ]; then
  ignores_file_size_signal 1 "the window program" env DISPLAY="$display" "$window"
else
  echo "The window program's signals not checked: no display"
fi

finish "command-line checks"
