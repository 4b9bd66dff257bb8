#!/usr/bin/env bash
# Hostile input to the command-line program: lists that never end or hold terminal escape
# sequences, and a folder name with one. Every case ends in a clear message with the
# control bytes escaped. $1: hushmaker-cli.
set -u
unset DISPLAY
cli=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# An endless list under a memory limit: refused at its first line, not read to the end.
err=$(ulimit -v 400000 && "$cli" --batch /dev/zero 2>&1 >/dev/null)
status=$?
[ "$status" -eq 2 ] && [ "$err" = $'/dev/zero:1: line too long (over 4096 bytes)\nhushmaker-cli: /dev/zero is not a list; nothing was written' ] ||
  fail "/dev/zero: status $status, $err"
yes '# comment' | head -n 100001 >many
err=$("$cli" --batch many 2>&1 >/dev/null)
[ "$err" = 'hushmaker-cli: many has more than 100000 lines; nothing was written' ] ||
  fail "a list of 100,001 lines: $err"

# Escape sequences from a list line or a folder's name reach the terminal as text.
err=$(printf '3\033[2J voice\n' | "$cli" --batch - 2>&1 >/dev/null)
grep -qF '<stdin>:1: "3\x1b[2J" is not a length' <<<"$err" || fail "a list line's ESC: $err"
err=$("$cli" -d $'gone\033]0;pwned\a' 1 voice 2>&1 >/dev/null)
grep -qxF '>>> gone\x1b]0;pwned\x07/voice.mp3: No such file or directory' <<<"$err" &&
  grep -qxF 'hushmaker-cli: gone\x1b]0;pwned\x07/voice.mp3 was not written' <<<"$err" ||
  fail "a folder name's escape sequence: $(cat -A <<<"$err")"
grep -q $'\033' <<<"$err" && fail "an ESC byte reached the terminal"

[ "$failures" -eq 0 ] && echo "hostile input end to end: all checks passed"
exit $((failures > 0))
