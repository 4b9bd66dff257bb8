#!/usr/bin/env bash
# Replacing a file where it is hardest, as real runs of the command-line program: a full
# disk under an in-place write, writers racing on one hard-linked file and kills at random
# moments. The full disk is a small tmpfs that the test mounts, so it needs root.
# $1: hushmaker-cli. Exit 77: skipped.
set -u
unset DISPLAY
cli=$1
scratch=$(mktemp -d)
disk=$scratch/disk
mkdir "$disk"
if ! mount -t tmpfs -o size=64m,mode=755 tmpfs "$disk" 2>/dev/null; then
  echo "Skipped: cannot mount a tmpfs here (it takes root)"
  rm -rf "$scratch"
  exit 77
fi
trap 'umount "$disk"; rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../e2e_harness.sh"

# fill_leaving KIB: fills the tmpfs until KIB kibibytes are free.
fill_leaving() {
  rm -f "$disk/fill"
  head -c 64M /dev/zero >"$disk/fill" 2>/dev/null
  truncate -s "-$1K" "$disk/fill"
}

# A full disk: the hard-linked file is written in place from a new file on the full disk
# itself, which at 300 KiB free fits once but not twice; the old file is kept byte for
# byte, and the report says so. (A new file that cannot be written at all is
# generator_test's, through a file-size limit.)
(cd "$disk" && "$cli" -q 1 hl && ln hl.mp3 hl-link.mp3)
cp "$disk/hl.mp3" "$scratch/hl.old"
fill_leaving 300
err=$(cd "$disk" && "$cli" -q 60 hl 2>&1 >/dev/null)
status=$?
[ "$status" -eq 1 ] || fail "a full disk: status $status, not 1"
cmp -s "$disk/hl.mp3" "$scratch/hl.old" && cmp -s "$disk/hl-link.mp3" "$scratch/hl.old" ||
  fail "a full disk: the old file changed"
grep -qx ">>> ./hl.mp3: No space left on device" <<<"$err" &&
  grep -qx '>>> The target MP3 file was not changed' <<<"$err" &&
  [ "$(tail -n 1 <<<"$err")" = "hushmaker-cli: hl.mp3 was not written" ] ||
  fail "a full disk: the report is not the target, the full disk and the old file kept: $err"
litter=$(find "$disk" -name '.hushmaker-*')  # a file under a hidden temporary name
[ -z "$litter" ] || fail "a full disk left $litter"
rm -f "$disk/fill"

# Eight writers at once on one hard-linked file: they take turns, and it is always one
# run's whole file. Lengths close together make the runs finish, and copy, together.
mkdir "$scratch/references"
for seconds in $(seq 1000 1007); do
  "$cli" -q -d "$scratch/references" "$seconds" "$seconds"
done
(cd "$disk" && "$cli" -q 1 same && ln same.mp3 same-link.mp3)
for round in $(seq 10); do
  pids=()
  for seconds in $(seq 1000 1007); do
    (cd "$disk" && exec "$cli" -q "$seconds" same) &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || fail "round $round: a writer failed"; done
  whole=
  for reference in "$scratch"/references/*.mp3; do
    cmp -s "$disk/same.mp3" "$reference" && whole=$reference
  done
  [ -n "$whole" ] || fail "round $round: same.mp3 is no one run's whole file"
  [ "$disk/same.mp3" -ef "$disk/same-link.mp3" ] || fail "round $round: the links parted"
done

# SIGKILL at any moment of a write leaves nothing named beside the target, on tmpfs and
# on the file system the test's folder is on (ext4 here); a new target is not made
# half-way either.
mkdir "$scratch/local"
for folder in "$disk" "$scratch/local"; do
  for delay in 0 0.01 0.03 0.06 0.1 0.2; do
    (cd "$folder" && exec "$cli" -q 28800 killed 2>/dev/null) &
    pid=$!
    sleep "$delay"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    litter=$(find "$folder" -name '.hushmaker-*')
    [ -z "$litter" ] || fail "a kill after $delay s left $litter"
    if [ -e "$folder/killed.mp3" ]; then
      [ "$(mpg123 -q -s "$folder/killed.mp3" | wc -c)" -eq $((28800 * 44100 * 2)) ] ||
        fail "a kill after $delay s left a part of killed.mp3 in $folder"
      rm -f "$folder/killed.mp3"
    fi
  done
done

finish "replacement end to end"
