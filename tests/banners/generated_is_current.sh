#!/bin/bash
# Redraws the pictures and icons into a scratch folder and compares them with the committed files,
# so that an edit to the script without a rerun (or the other way round) is caught.
# $1 = python interpreter, $2 = source tree, $3 = scratch folder.
set -eu
python=$1 tree=$2 scratch=$3
rm -rf "$scratch"
"$python" "$tree/tools/draw_images.py" --out "$scratch"
status=0
for file in $(cd "$scratch" && find . -type f -printf "%P\n" | sort); do
  if ! cmp "$tree/$file" "$scratch/$file"; then
    echo "$file differs from what tools/draw_images.py draws" >&2
    status=1
  fi
done
exit $status
