#!/bin/bash
# Redraws the pictures and icons and compares them with the committed files, which catches
# an edit to either without the other. $1: python, $2: source tree, $3: scratch folder.
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
