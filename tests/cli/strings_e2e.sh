#!/usr/bin/env bash
# Voice files from string packages through the program: its options, the files it writes,
# its statuses, a refused package writing nothing, and the printed list run back through
# --batch, which makes the same files. How packages are read is the unit tests'; usage
# mistakes, a package that cannot be read and the help are checked in cli_e2e.sh.
# $1: hushmaker-cli.
set -u
unset DISPLAY
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
streams=$work
source "$(dirname "$0")/../e2e_harness.sh"

run() { run_in "$work" "$@"; }

made() { (cd "$work" && find . -name '*.mp3' | sort); }

# At 15 characters a second and at least 2 seconds: KYLE_HI reads 18 characters, 2 s;
# GUARD_STOP 66, 5 s (its 78 bytes would make 6); SILENT has no text: reported, no file.
mkdir "$work/sound" "$work/batch" "$work/out" "$work/refused"
stop=$'"  ^3Stop right there!\\nNobody      passes this gate without\torders, ^7soldier. "'
printf '%s\n' 'VERSION 1' 'COUNT 3' \
  'INDEX 0' '{' 'REFERENCE KYLE_HI' 'TEXT_LANGUAGE1 "Hello there, ^1Kyle^7."' '}' \
  'INDEX 1' '{' 'REFERENCE GUARD_STOP' "TEXT_LANGUAGE1 $stop" '}' \
  'INDEX 2' '{' 'REFERENCE SILENT' '}' >"$work/mymap.sp"
run --strings mymap.sp -d sound
[ "$status" -eq 0 ] && [ "$out" = "sound/kyle_hi.mp3  2 s
sound/guard_stop.mp3  5 s
2 files written, 0 failed" ] && [ "$err" = "mymap.sp:15: SILENT has no text" ] ||
  fail "package: status $status, stdout '$out', stderr '$err'"

# The list it prints, writing nothing, makes the same files byte for byte through --batch
# (whose lengths cli_e2e.sh decodes).
run --strings mymap.sp --list
[ "$status" -eq 0 ] && [ "$out" = '# Hello there, ^1Kyle^7.
2 kyle_hi.mp3
#   ^3Stop right there!\nNobody      passes this gate without'$'\t''orders, ^7soldier. 
5 guard_stop.mp3' ] && [ "$(made | grep -vc sound)" -eq 0 ] ||
  fail "--list: status $status, stdout '$out', made $(made)"
cp "$streams/stdout" "$work/list.txt"
run -d batch --batch - <"$work/list.txt"
for file in kyle_hi guard_stop; do
  cmp -s "$work/batch/$file.mp3" "$work/sound/$file.mp3" || fail "$file.mp3 from the list differs"
done

# A StringEd file on standard input, in French at 10 characters a second and at least
# 3 seconds: KYLE_HI's French (36) is 4 s; JAN_GO takes its English "Go!" (3), held to 3 s.
printf '%s\n' 'VERSION "1"' 'REFERENCE KYLE_HI' 'LANG_ENGLISH "Hello there, Kyle."' \
  'LANG_FRENCH "Bonjour, Kyle ! Comment allez-vous ?"' 'REFERENCE JAN_GO' 'LANG_ENGLISH "Go!"' \
  'ENDMARKER' >"$work/mymap.str"
run --strings - --language French --cps 10 --min-seconds 3 -d out <"$work/mymap.str"
[ "$status" -eq 0 ] && [ "$out" = "out/kyle_hi.mp3  4 s
out/jan_go.mp3  3 s
2 files written, 0 failed" ] && [ -z "$err" ] ||
  fail "package on standard input: status $status, stdout '$out', stderr '$err'"

# Every report told in line order, the refusals counted, and nothing written.
printf '%s\n' 'VERSION 1' 'COUNT 2' 'INDEX 0' '{' 'REFERENCE AUX' 'TEXT_LANGUAGE1 "Aux."' '}' \
  'INDEX 1' '{' 'REFERENCE SILENT' '}' '}' >"$work/bad.sp"
run --strings bad.sp -d refused
[ "$status" -eq 2 ] && [ -z "$out" ] && [ -z "$(ls "$work/refused")" ] && [ "$err" = \
"bad.sp:5: REFERENCE AUX cannot be a file name: Windows keeps that name for a device
bad.sp:10: SILENT has no text
bad.sp:12: } closes no {
hushmaker-cli: 2 problems in bad.sp; nothing was written" ] ||
  fail "refused package: status $status, stdout '$out', stderr '$err'"

finish "string package checks"
