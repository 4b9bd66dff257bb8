#!/bin/bash
# Redraws the pictures into a scratch folder and compares them with the committed files,
# so that an edit to the script without a rerun (or the other way round) is caught.
# $1 = python interpreter, $2 = source tree, $3 = scratch folder.
set -eu
python=$1 tree=$2 scratch=$3
rm -rf "$scratch"
"$python" "$tree/tools/draw_images.py" --out "$scratch"
status=0
for file in ui/banner_images.cpp resources/icon_xpm.h resources/icon_xpm.cpp resources/hushmaker.png \
            resources/hushmaker.ico; do
  if ! cmp "$tree/$file" "$scratch/$file"; then
    echo "$file differs from what tools/draw_images.py draws" >&2
    status=1
  fi
done
exit $status
