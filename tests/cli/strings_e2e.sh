#!/usr/bin/env bash
# Voice files from string packages, as a map maker makes them: packages written here in
# both formats, read from a file and from standard input, the files decoded by mpg123, and
# the printed list run back through --batch. $1: hushmaker-cli.
set -u
unset DISPLAY
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
streams=$work
source "$(dirname "$0")/../e2e_harness.sh"

run() { run_in "$work" "$@"; }

made() { (cd "$work" && find . -name '*.mp3' | sort); }

# check_length PATH SECONDS: the decoder reads exactly SECONDS x 44,100 samples.
check_length() {
  local samples
  samples=$(($(mpg123 -q -s "$work/$1" | wc -c) / 2))
  [ "$samples" -eq $(($2 * 44100)) ] || fail "$1 decodes to $samples samples, not $2 s"
}

# A StripEd package as the editor saves it, with CRLF line ends. What is read, at 15
# characters a second and at least 2 seconds:
#   KYLE_GREETING  "Hello there, Kyle."                                    18: 2 s
#   GUARD_STOP     "Stop right there! Nobody passes ... orders, soldier."  66: 5 s
#   SILENT_ONE     no text: reported, no file
#   JAN_GO         "Go!"                                                    3: 2 s
mkdir -p "$work/strip" "$work/sound/chars/mymap"
printf '%s\r\n' 'VERSION 1' 'CONFIG W:\bin\striped.cfg' 'ID 200' 'REFERENCE MYMAP' \
  'DESCRIPTION "the test level"' 'COUNT 4' \
  'INDEX 0' '{' 'REFERENCE KYLE_GREETING' 'TEXT_LANGUAGE1 "Hello there, ^1Kyle^7."' '}' \
  'INDEX 1' '{' 'REFERENCE GUARD_STOP' 'NOTES "at the gate"' \
  $'TEXT_LANGUAGE1 "  ^3Stop right there!\\nNobody   passes this gate without\torders, ^7soldier. "' \
  '}' \
  'INDEX 2' '{' 'REFERENCE SILENT_ONE' '}' \
  'INDEX 3' '{' 'REFERENCE JAN_GO' 'TEXT_LANGUAGE1 "Go!"' 'TEXT_LANGUAGE2 "Allez !"' '}' \
  >"$work/strip/mymap.sp"

run --strings strip/mymap.sp -d sound/chars/mymap
[ "$status" -eq 0 ] && [ "$out" = "sound/chars/mymap/kyle_greeting.mp3  2 s
sound/chars/mymap/guard_stop.mp3  5 s
sound/chars/mymap/jan_go.mp3  2 s
3 files written, 0 failed" ] && [ "$err" = "strip/mymap.sp:20: SILENT_ONE has no text" ] ||
  fail "StripEd package: status $status, stdout '$out', stderr '$err'"
[ "$(made)" = "./sound/chars/mymap/guard_stop.mp3
./sound/chars/mymap/jan_go.mp3
./sound/chars/mymap/kyle_greeting.mp3" ] || fail "StripEd package made $(made)"
check_length sound/chars/mymap/kyle_greeting.mp3 2
check_length sound/chars/mymap/guard_stop.mp3 5
check_length sound/chars/mymap/jan_go.mp3 2

# The list it prints makes the same files, byte for byte, through --batch.
run --strings strip/mymap.sp --list
[ "$status" -eq 0 ] && [ "$out" = '# Hello there, ^1Kyle^7.
2 kyle_greeting.mp3
#   ^3Stop right there!\nNobody   passes this gate without'$'\t''orders, ^7soldier. 
5 guard_stop.mp3
# Go!
2 jan_go.mp3' ] || fail "--list: status $status, stdout '$out'"
[ -z "$(made | grep -v sound/chars)" ] || fail "--list wrote $(made)"
mkdir "$work/batch"
cp "$streams/stdout" "$work/list.txt"
run -d batch --batch - <"$work/list.txt"
[ "$status" -eq 0 ] || fail "the printed list through --batch: status $status, stderr '$err'"
for file in kyle_greeting guard_stop jan_go; do
  cmp -s "$work/batch/$file.mp3" "$work/sound/chars/mymap/$file.mp3" ||
    fail "$file.mp3 from the list differs from the one from the package"
done

# A StringEd file on standard input, in French at 10 characters a second and at least
# 3 seconds: "Bonjour, Kyle ! Comment allez-vous ?" (36) is 4 s; JAN.GO has no French text
# and takes its English "Go!" (3), held to 3 s. Its dot is no extension: the game looks
# the line up by the whole name before .mp3.
mkdir "$work/out"
printf '%s\r\n' 'VERSION "1"' 'CONFIG "W:\bin\stringed.cfg"' 'FILENOTES "the test level"' '' \
  'REFERENCE KYLE_GREETING  // the first line' 'LANG_ENGLISH "Hello there, Kyle."' \
  'LANG_FRENCH "Bonjour, Kyle ! Comment allez-vous ?"' \
  'REFERENCE JAN.GO' 'LANG_ENGLISH "Go!"' 'ENDMARKER' >"$work/mymap.str"
run --strings - --language French --cps 10 --min-seconds 3 -d out <"$work/mymap.str"
[ "$status" -eq 0 ] && [ "$out" = "out/kyle_greeting.mp3  4 s
out/jan.go.mp3  3 s
2 files written, 0 failed" ] && [ -z "$err" ] ||
  fail "StringEd package on standard input: status $status, stdout '$out', stderr '$err'"
check_length out/kyle_greeting.mp3 4
check_length out/jan.go.mp3 3

# A package with problems: every one told with its line, nothing written.
mkdir "$work/refused"
printf '%s\n' 'VERSION 1' 'COUNT 3' 'INDEX 0' '{' 'REFERENCE KYLE_HI' 'TEXT_LANGUAGE1 "Hi."' \
  'INDEX 1' '{' 'REFERENCE KYLE_HI' 'TEXT_LANGUAGE1 "Hi again."' '}' \
  'INDEX 2' '{' 'REFERENCE AUX' 'TEXT_LANGUAGE1 "Aux."' '}' '}' >"$work/bad.sp"
run --strings bad.sp -d refused
[ "$status" -eq 2 ] && [ -z "$out" ] && [ -z "$(ls "$work/refused")" ] && [ "$err" = \
"bad.sp:4: { is not closed
bad.sp:9: REFERENCE KYLE_HI is line 5's too: the game would show one text for both
bad.sp:14: REFERENCE AUX cannot be a file name: Windows keeps that name for a device
bad.sp:17: } closes no {
hushmaker-cli: 4 problems in bad.sp; nothing was written" ] ||
  fail "refused package: status $status, stdout '$out', stderr '$err'"

run --strings missing.sp
[ "$status" -eq 2 ] &&
  [ "$err" = "hushmaker-cli: cannot read missing.sp: No such file or directory" ] ||
  fail "missing package: status $status, stderr '$err'"

# Usage mistakes: one line, then the hint, status 2, nothing written.
before=$(made)
while read -r arguments; do
  eval "run $arguments"
  [ "$status" -eq 2 ] && [ "$(wc -l <<<"$err")" -eq 2 ] &&
    [ "$(tail -n 1 <<<"$err")" = "Try 'hushmaker-cli --help' for more information." ] &&
    [ "$(made)" = "$before" ] || fail "'$arguments': status $status, stderr '$err'"
done <<'END'
--list
--cps 10 3 voice
--strings strip/mymap.sp --cps 0
--strings strip/mymap.sp --cps 101
--strings strip/mymap.sp --cps 1.5
--strings strip/mymap.sp --min-seconds 28801
--strings strip/mymap.sp --min-seconds 0
--strings strip/mymap.sp --language klingon
--strings strip/mymap.sp --batch list
--strings strip/mymap.sp voice
END

run --help
for word in --strings --list --language --cps --min-seconds 'max(MIN, ceil(CHARACTERS / CPS))' \
            '(default 15)' '(default 2)' '(default english)'; do
  grep -qF -- "$word" <<<"$out" || fail "--help does not tell '$word'"
done

finish "string package checks"
