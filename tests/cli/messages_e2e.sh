#!/usr/bin/env bash
# What the programs say when input or the system works against them: lists that never end,
# too little memory, a file-size limit. Every case ends in a clear message. (Escaped
# control bytes in messages are checked in cli_e2e.sh.)
# $1: hushmaker-cli, $2: the window program (checked only where a display is open).
set -u
cli=$1
window=$2
display=${DISPLAY:-}
unset DISPLAY
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
streams=$scratch
source "$(dirname "$0")/../e2e_harness.sh"
cd "$scratch" || exit 1

# An endless list under a memory limit: refused at its first line, not read to the end.
err=$(ulimit -v 400000 && "$cli" --batch /dev/zero 2>&1 >/dev/null)
status=$?
[ "$status" -eq 2 ] && [ "$err" = $'/dev/zero:1: line too long (over 4096 bytes)\nhushmaker-cli: /dev/zero is not a list; nothing was written' ] ||
  fail "/dev/zero: status $status, $err"
yes '# comment' | head -n 100001 >many
run_in . --batch many
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

finish "messages end to end"
