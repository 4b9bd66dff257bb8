#!/usr/bin/env bash
# Names and lists as users write them, through the real command line in a real folder:
# each refused name or list writes nothing, and a list is refused whole.
# $1: hushmaker-cli.
set -u
unset DISPLAY
cli=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
streams=$work
source "$(dirname "$0")/../e2e_harness.sh"

run() { run_in "$work/run" "$@"; }
fresh() { rm -rf "$work/run" && mkdir -p "$work/run/sub"; }
made() { (cd "$work/run" && find . -name '*.mp3' | sort | xargs); }

# Lists that must be refused whole: bytes | the lines reported.
while IFS='|' read -r bytes lines; do
  fresh
  printf "$bytes" >"$work/run/list.txt"
  run --batch list.txt
  reported=$(grep -o '^list.txt:[0-9]*:' <<<"$err" | cut -d: -f2 | xargs)
  [ "$status" -eq 2 ] && [ "$reported" = "$lines" ] && [ -z "$(made)" ] ||
    fail "list '$bytes': status $status, made '$(made)', stderr '$err'"
done <<'END'
1 first\n1 sec\tond\n1 third\n|2
1 first\n1 a\x01b\n1 c\x1b[31m\n1 d\x7f\n1 last\n|2 3 4
1 voice\n9 ./voice\n5 sub/../voice\n1 sub//../voice\n|2 3 4
1 first\n1 .\n1 ..\n1 /\n1 dir/\n1 /tmp/abs\n|2 3 4 5 6
1 first\r1 Gr\xfc\xdfe\r1 last\r|2
END
# A name too long for one file name: its line, with the limit.
fresh
printf '1 first\n1 %s\n' "$(printf 'n%.0s' {1..300})" >"$work/run/list.txt"
run --batch list.txt
[ "$status" -eq 2 ] && [ -z "$(made)" ] &&
  grep -qx 'list.txt:2: a file or folder name in the path is longer than 255 characters' <<<"$err" ||
  fail "a 300-character name: status $status, made '$(made)', stderr '$err'"

# Lists with a BOM, in UTF-16 or with old Mac line ends: every name as written.
grusse=$'Gr\xc3\xbc\xc3\x9fe'
for encoding in UTF-8-BOM UTF-16LE UTF-16BE MAC; do
  fresh
  case $encoding in
    UTF-8-BOM) printf '\xef\xbb\xbf1 %s\r\n1 sub/b\r\n' "$grusse" ;;
    UTF-16LE) printf '\xff\xfe'; printf '1 %s\r\n1 sub/b\r\n' "$grusse" | iconv -t UTF-16LE ;;
    UTF-16BE) printf '\xfe\xff'; printf '1 %s\n1 sub/b' "$grusse" | iconv -t UTF-16BE ;;
    MAC) printf '1 %s\r1 sub/b\r' "$grusse" ;;
  esac >"$work/run/list.txt"
  run -q --batch list.txt
  [ "$status" -eq 0 ] && [ "$(made)" = "./$grusse.mp3 ./sub/b.mp3" ] ||
    fail "$encoding list: status $status, made '$(made)', stderr '$err'"
done

# Single names: refused before anything is written, with the reason; ':' is a name here.
fresh
while IFS='|' read -r name reason; do
  run 1 "$name"
  [ "$status" -eq 2 ] && [ "$(head -n 1 <<<"$err")" = "hushmaker-cli: $reason" ] &&
    [ -z "$(made)" ] || fail "name '$name': status $status, made '$(made)', stderr '$err'"
done <<'END'
.|the name's last part is only dots, which names no file
sub/..|the name's last part is only dots, which names no file
dir/|the name ends in a separator, so it names a folder, not a file
/tmp/voice|the name starts with a separator, as a full path does; a name is relative to the target folder, which is given apart
END
run 1 'a:b'
[ "$status" -eq 0 ] && [ "$(made)" = "./a:b.mp3" ] || fail "a:b: status $status, stderr '$err'"
run -d sub/sub 1 "$(printf 'n%.0s' {1..251})"
[ "$status" -eq 2 ] && [ "$(made)" = "./a:b.mp3" ] &&
  grep -qx 'hushmaker-cli: the target directory and file name are longer than 259 characters' <<<"$err" ||
  fail "a name too long in -d sub/sub: status $status, stderr '$err'"

run --batch sub
[ "$status" -eq 2 ] && [ "$err" = "hushmaker-cli: cannot read sub: it is a folder, not a list" ] ||
  fail "--batch on a folder: status $status, stderr '$err'"

finish "name checks"
