# What the end-to-end scripts share: counted failures and the end line; for the command
# line's, one run of the program with its status and both streams kept (the script sets
# cli, and streams to a folder of its own where the streams are kept).
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run_in FOLDER ARG...: runs $cli in FOLDER (as $as_user when set); sets status, out, err.
run_in() {
  local folder=$1
  shift
  (cd "$folder" && ${as_user:-} "$cli" "$@" >"$streams/stdout" 2>"$streams/stderr")
  status=$?
  out=$(cat "$streams/stdout")
  err=$(cat "$streams/stderr")
}

# expect WHAT STATUS OUT ERR: the last run ended with STATUS and printed OUT and ERR
# exactly, '*' taking anything.
expect() {
  [ "$status" -eq "$2" ] && [[ "$3" == '*' || "$out" == "$3" ]] && [[ "$4" == '*' || "$err" == "$4" ]] ||
    fail "$1: status $status, stdout '$out', stderr '$err'"
}

# finish WHAT: the script's end: its status, and a line when every check passed.
finish() {
  [ "$failures" -eq 0 ] || exit 1
  echo "$1 passed"
}
