#!/usr/bin/env bash
# What the programs say when input or the system works against them: lists that never end
# or hold terminal escape sequences, a folder name with one, too little memory, a
# file-size limit. Every case ends in a clear message with the control bytes escaped.
# $1: hushmaker-cli, $2: the window program (checked only where a display is open).
set -u
cli=$1
window=$2
display=${DISPLAY:-}
unset DISPLAY
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

# Too little memory for the samples is told in MiB: 28,800 s take 4 bytes a sample.
err=$(ulimit -v 1000000 && "$cli" 28800 big 2>&1 >/dev/null)
grep -qx '>>> Operator new failed to allocate 4845 MiB of memory to store WAV data' <<<"$err" ||
  fail "too little memory: $err"

# Both programs leave a file-size limit to fail the write instead of ending them.
ignores_file_size_signal() {  # PID: SIGXFSZ (25) is bit 24 of the ignored set
  local mask
  mask=$(awk '/^SigIgn:/ { print $2 }' "/proc/$1/status")
  (((0x$mask >> 24) & 1))
}
printf '28800 slow\n' >slow.list
"$cli" --batch slow.list >/dev/null 2>&1 &
pid=$!
sleep 0.1
ignores_file_size_signal "$pid" || fail "hushmaker-cli does not ignore SIGXFSZ"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
if [ -n "$display" ]; then
  DISPLAY=$display "$window" &
  pid=$!
  sleep 1
  ignores_file_size_signal "$pid" || fail "the window program does not ignore SIGXFSZ"
  kill "$pid"
  wait "$pid" 2>/dev/null
else
  echo "The window program's signals not checked: no display"
fi

[ "$failures" -eq 0 ] && echo "messages end to end: all checks passed"
exit $((failures > 0))
