#!/usr/bin/env bash
# Replacing a file where it is hardest, as real runs of the command-line program: a full
# disk under an in-place write, writers racing on one hard-linked file and kills at random
# moments. The full disk is a small tmpfs that the test mounts, so it needs root.
# $1: hushmaker-cli. Exit 77: skipped.
set -u
unset DISPLAY
scratch=$(mktemp -d)
chmod 755 "$scratch"
disk=$scratch/disk
mkdir "$disk"
if ! mount -t tmpfs -o size=64m,mode=755 tmpfs "$disk" 2>/dev/null; then
  echo "Skipped: cannot mount a tmpfs here (it takes root)"
  rm -rf "$scratch"
  exit 77
fi
trap 'umount "$disk"; rm -rf "$scratch"' EXIT
cli=$scratch/hushmaker-cli  # a copy, which the other user can surely run
cp "$1" "$cli"
source "$(dirname "$0")/../e2e_harness.sh"

# litter DIR: anything a run left under a hidden temporary name.
litter() { find "$1" -name '.hushmaker-*'; }

# fill_leaving KIB: fills the tmpfs until KIB kibibytes are free.
fill_leaving() {
  rm -f "$disk/fill"
  head -c 64M /dev/zero >"$disk/fill" 2>/dev/null
  truncate -s "-$1K" "$disk/fill"
}

# A full disk: the new file cannot go over the old one, which is kept byte for byte. The
# shared folder sends the new file to /tmp and the target is written over in place; the
# hard-linked file is written in place from a new file on the full disk itself, which at
# 300 KiB free fits once but not twice.
mkdir -m 755 "$disk/shared"
(cd "$disk/shared" && "$cli" -q 1 line && chmod 666 line.mp3)
(cd "$disk" && "$cli" -q 1 hl && ln hl.mp3 hl-link.mp3)
cp "$disk/shared/line.mp3" "$scratch/line.old"
cp "$disk/hl.mp3" "$scratch/hl.old"
for case in "shared/line 100 setpriv --reuid=nobody --regid=nogroup --clear-groups" \
            "hl 100" "hl 300"; do
  read -r name free as_user <<<"$case"
  fill_leaving "$free"
  err=$(cd "$disk" && ${as_user:+$as_user} "$cli" -q 60 "$name" 2>&1 >/dev/null)
  status=$?
  base=${name#*/}
  [ "$status" -eq 1 ] || fail "$case: status $status, not 1"
  cmp -s "$disk/$name.mp3" "$scratch/$base.old" || fail "$case: the old file changed"
  grep -qx ">>> ./$name.mp3: No space left on device" <<<"$err" &&
    grep -qx '>>> The target MP3 file was not changed' <<<"$err" &&
    [ "$(tail -n 1 <<<"$err")" = "hushmaker-cli: $name.mp3 was not written" ] ||
    fail "$case: the report is not the target, the full disk and the old file kept: $err"
done
cmp -s "$disk/hl-link.mp3" "$scratch/hl.old" || fail "the other link of the full disk's file changed"
[ -z "$(litter "$disk")$(litter /tmp)" ] || fail "a full disk left: $(litter "$disk")"
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
    [ -z "$(litter "$folder")" ] || fail "a kill after $delay s left $(litter "$folder")"
    if [ -e "$folder/killed.mp3" ]; then
      [ "$(mpg123 -q -s "$folder/killed.mp3" | wc -c)" -eq $((28800 * 44100 * 2)) ] ||
        fail "a kill after $delay s left a part of killed.mp3 in $folder"
      rm -f "$folder/killed.mp3"
    fi
  done
done

finish "replacement end to end"
