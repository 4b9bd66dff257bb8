#!/usr/bin/env bash
# Times the silent MP3 writer next to ffmpeg and sox (both through libmp3lame, VBR
# quality 9, 44,100 Hz mono) for 60 s, 1 h and 8 h of silence: wall time and peak memory
# from /usr/bin/time -v, output size, and the ratios of ours to theirs.
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

# measure <output file> <command...>: prints "wall_seconds peak_kb size_bytes"
measure() {
  local output=$1
  shift
  rm -f "$output"
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    echo "failed: $*" >&2
    cat "$work/stderr.txt" >&2
    exit 1
  }
  awk -v size="$(stat -c %s "$output")" '
    /Elapsed \(wall clock\)/ {
      n = split($NF, part, ":")
      wall = 0
      for (i = 1; i <= n; i++) wall = wall * 60 + part[i]
    }
    /Maximum resident set size/ { peak = $NF }
    END { printf "%.2f %d %d\n", wall, peak, size }' "$work/time.txt"
}

printf '%-7s %-8s %9s %9s %9s %12s %12s\n' \
  length tool "wall s" "peak MB" "size MB" "wall ratio" "memory ratio"
for seconds in "${lengths[@]}"; do
  read -r our_wall our_peak our_size < <(measure "$work/ours.mp3" "$driver" "$seconds" "$work" ours)
  rows=("hushmaker $our_wall $our_peak $our_size")
  read -r wall peak size < <(measure "$work/ffmpeg.mp3" ffmpeg -nostdin -v error -y -f lavfi \
    -i "anullsrc=r=44100:cl=mono" -t "$seconds" -c:a libmp3lame -q:a 9 "$work/ffmpeg.mp3")
  rows+=("ffmpeg $wall $peak $size")
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
      wr = (w > 0) ? sprintf("%.2f", ow / w) : "-"
      mr = (p > 0) ? sprintf("%.2f", op / p) : "-"
      if (t == "hushmaker") { wr = "1.00"; mr = "1.00" }
      printf "%-7s %-8s %9.2f %9.1f %9.1f %12s %12s\n", s, t, w, p / 1024, z / 1048576, wr, mr
    }'
  done
done
[ "$sox_can_mp3" = yes ] || echo "(sox has no MP3 handler here: Debian's libsox-fmt-mp3 adds it)"
