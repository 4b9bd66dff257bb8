#!/usr/bin/env bash
# Times the silent MP3 writer next to ffmpeg and sox (both through libmp3lame, VBR
# quality 9, 44,100 Hz mono) and next to dd writing as many zero bytes into the same folder
# and syncing them to disk, as the writer syncs its file, for 60 s, 1 h and 8 h of silence:
# wall time and peak memory from /usr/bin/time -v, output size, and the ratios of ours to
# theirs (the writer and dd: the median of nine runs; ffmpeg and sox, which take minutes,
# one). Then checks what the writer must reach: 8 h at least 20 times faster than ffmpeg,
# and at every length a peak memory of at most the file's size plus 10 MiB (exit status 1
# if not); and says whether it is within 5 times of dd.
# Usage: bench/run_bench.sh [hushmaker_bench] [lengths...]
#   hushmaker_bench defaults to build/bench/hushmaker_bench; lengths to 60 3600 28800.
set -euo pipefail
cd "$(dirname "$0")/.."

driver=${1:-build/bench/hushmaker_bench}
shift || true
lengths=("$@")
[ ${#lengths[@]} -gt 0 ] || lengths=(60 3600 28800)

source ./setup.sh
install_packages ffmpeg sox libsox-fmt-mp3 time
[ -x "$driver" ] || { build_program build; driver=build/bench/hushmaker_bench; }
sox_can_mp3=yes
sox -n -r 44100 -c 1 -t mp3 /dev/null trim 0 0.1 >/dev/null 2>&1 || sox_can_mp3=no

work=$(mktemp -d /tmp/hushmaker-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# measure <output file> <command...>: prints "wall_seconds peak_kb size_bytes". The wall
# time is taken around the run to the millisecond (time -v gives hundredths only); the
# peak resident memory comes from time -v.
measure() {
  local output=$1
  shift
  rm -f "$output"
  local start end
  start=$(date +%s%N)
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    echo "failed: $*" >&2
    cat "$work/stderr.txt" >&2
    exit 1
  }
  end=$(date +%s%N)
  awk -v size="$(stat -c %s "$output")" -v ns=$((end - start)) '
    /Maximum resident set size/ { peak = $NF }
    END { printf "%.3f %d %d\n", ns / 1e9, peak, size }' "$work/time.txt"
}

# median_of_nine <output file> <command...>: measure nine times; the median wall time and
# the largest peak.
median_of_nine() {
  local runs
  runs=$(for _ in 1 2 3 4 5 6 7 8 9; do measure "$@"; done)
  sort -n -k1,1 <<<"$runs" | awk '$2 > peak { peak = $2 } { size = $3 } NR == 5 { wall = $1 }
       END { printf "%.3f %d %d\n", wall, peak, size }'
}

checks=()
failed=0
printf '%-7s %-9s %9s %9s %9s %12s %12s\n' \
  length tool "wall s" "peak MiB" "size MiB" "wall ratio" "memory ratio"
for seconds in "${lengths[@]}"; do
  read -r our_wall our_peak our_size < <(median_of_nine "$work/ours.mp3" "$driver" "$seconds" \
    "$work" ours)
  rows=("hushmaker $our_wall $our_peak $our_size")
  read -r ffmpeg_wall peak size < <(measure "$work/ffmpeg.mp3" ffmpeg -nostdin -v error -y \
    -f lavfi -i "anullsrc=r=44100:cl=mono" -t "$seconds" -c:a libmp3lame -q:a 9 "$work/ffmpeg.mp3")
  rows+=("ffmpeg $ffmpeg_wall $peak $size")
  read -r dd_wall peak size < <(median_of_nine "$work/dd.bin" dd if=/dev/zero of="$work/dd.bin" \
    bs=1M count="$our_size" iflag=count_bytes conv=fsync status=none)
  rows+=("dd $dd_wall $peak $size")
  if [ "$sox_can_mp3" = yes ]; then
    read -r wall peak size < <(measure "$work/sox.mp3" sox -n -r 44100 -c 1 -b 16 -C -9 \
      "$work/sox.mp3" trim 0 "$seconds")
    rows+=("sox $wall $peak $size")
  fi
  for row in "${rows[@]}"; do
    read -r tool wall peak size <<<"$row"
    # Ratios: our figure divided by this tool's (below 1 means ours is faster or smaller).
    awk -v s="$seconds" -v t="$tool" -v w="$wall" -v p="$peak" -v z="$size" \
        -v ow="$our_wall" -v op="$our_peak" 'BEGIN {
      wr = (w > 0) ? sprintf("%.3f", ow / w) : "-"
      mr = (p > 0) ? sprintf("%.2f", op / p) : "-"
      if (t == "hushmaker") { wr = "1.000"; mr = "1.00" }
      printf "%-7s %-9s %9.3f %9.1f %9.1f %12s %12s\n", s, t, w, p / 1024, z / 1048576, wr, mr
    }'
  done
  # Memory: what the writer holds beyond its output, in MiB (limit 10).
  extra=$(awk -v p="$our_peak" -v z="$our_size" 'BEGIN { printf "%.1f", (p * 1024 - z) / 1048576 }')
  if awk -v e="$extra" 'BEGIN { exit !(e <= 10) }'; then verdict=ok; else verdict=FAILED; failed=1; fi
  checks+=("$seconds s: peak memory is the file's size plus $extra MiB (at most 10): $verdict")
  dd_times=$(awk -v o="$our_wall" -v d="$dd_wall" 'BEGIN { printf "%.1f", o / (d > 0 ? d : 0.001) }')
  checks+=("$seconds s: $dd_times times the time of dd (aim: at most 5)")
  if [ "$seconds" = 28800 ]; then
    speedup=$(awk -v o="$our_wall" -v f="$ffmpeg_wall" 'BEGIN { printf "%d", f / (o > 0 ? o : 0.001) }')
    if [ "$speedup" -ge 20 ]; then verdict=ok; else verdict=FAILED; failed=1; fi
    checks+=("$seconds s: $speedup times faster than ffmpeg (at least 20): $verdict")
  fi
done
printf '%s\n' "${checks[@]}"
[ "$sox_can_mp3" = yes ] || echo "(sox has no MP3 handler here: Debian's libsox-fmt-mp3 adds it)"
exit "$failed"
