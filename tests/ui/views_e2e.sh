#!/usr/bin/env bash
# The views as a person opens them, in the window program built with a dump of what its
# views show (tests/app/view_probe.cpp): a folder named on the command line opens its check
# view; a package and its folder dragged from another program's window open the level view
# on that folder, where Alt+W writes the level. Each view's screenshot is read for every
# text whole inside its cell and a refused file's verdict in red; the shipped program's
# --help and a bad option are checked too. What the views show row by row, Ctrl+O and the
# boxes are the in-process tests' (tests/ui/). Every wait is for a state of the windows or
# files, never for a fixed time.
# $1: the probe, $2: tests' drag source, $3: hushmaker-cli, $4: hushmaker, $5: the build
# folder. DISPLAY: 1024x768.
set -u
probe=$(readlink -f "$1") drag_source=$(readlink -f "$2") cli=$(readlink -f "$3")
program=$(readlink -f "$4") artifacts=$5/test-artifacts
scratch=$(mktemp -d)
started=()
trap 'kill "${started[@]}" 2>/dev/null; rm -rf "$scratch"' EXIT
work=$scratch/work home=$scratch/home dump=$scratch/dump pointer=$scratch/pointer
mkdir -p "$artifacts" "$work/voices" "$home"
source "$(dirname "$0")/../e2e_harness.sh"

# wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s; false when time ran out.
wait_until() { local end=$((SECONDS + $1)); shift; until "$@"; do [ "$SECONDS" -lt "$end" ] || return 1; sleep 0.1; done; }
# find_window TITLE: the first visible window so titled (a pattern) in $window.
find_window() { window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1); [ -n "$window" ]; }
dumped() { grep -q "$1" "$dump" 2>/dev/null; }

# --help and a bad option, which need no display and open no window.
help=$(env -u DISPLAY "$program" --help) && grep -q "Ctrl+O chooses a string package" <<<"$help" ||
  fail "--help: status $?, said: $help"
said=$(env -u DISPLAY "$program" --bogus 2>&1 >/dev/null)
status=$?
[ "$status|$said" = "2|hushmaker: unknown option --bogus
Try 'hushmaker --help' for more information." ] || fail "a bad option: status $status, said: $said"

# A level's voice folder: the writer's own file and a text under an .mp3 name, which the
# game refuses; the level's package beside it, a line longer than its cell among its lines.
(cd "$work" && "$cli" -q 3 voices/good) || fail "hushmaker-cli made no voice file"
echo "notes" >"$work/voices/bad.mp3"
printf '%s\n' 'VERSION 1' 'CONFIG W:\bin\striped.cfg' 'ID 200' 'REFERENCE MYMAP' 'COUNT 3' \
  'INDEX 0' '{' 'REFERENCE KYLE_GREETING' 'TEXT_LANGUAGE1 "Hello there, ^1Kyle^7."' '}' \
  'INDEX 1' '{' 'REFERENCE GUARD_STOP' 'TEXT_LANGUAGE1 "Stop right there!\nNobody passes this gate'\
' without orders, soldier. Turn back now, or the whole garrison will hear of it."' '}' \
  'INDEX 2' '{' 'REFERENCE JAN_WAIT' 'NOTES "no line yet"' '}' >"$work/my map.sp"

# read_cells WINDOW TITLE NAME: each text of the view so titled in the dump inside its cell
# on the screen: some of its ink in the cell, none in the cell's last columns, where a text
# too long for its cell would be cut; a verdict of a refused file in red. The screenshot
# is kept as NAME.png.
read_cells() {
  import -window "$1" "$artifacts/$3.png" 2>/dev/null &&
    convert "$artifacts/$3.png" -depth 8 "rgb:$scratch/shot.rgb" 2>/dev/null &&
    python3 - "$scratch/shot.rgb" "$(identify -format %w "$artifacts/$3.png")" "$dump" "$2" \
      >"$scratch/cells" <<'END'
import sys
pixels, width = open(sys.argv[1], "rb").read(), int(sys.argv[2])
def pixel(x, y):
    i = 3 * (y * width + x)
    return pixels[i], pixels[i + 1], pixels[i + 2]
problems, view = [], None
for line in open(sys.argv[3], encoding="utf-8"):
    parts = line.rstrip("\n").split("\t")
    view = parts[1] if parts[0] in ("check", "level") else view
    if view != sys.argv[4] or parts[0] not in ("cell", "header") or parts[-5] == "" or parts[-4] == "-1":
        continue
    text = parts[-5]
    x, y, w, h = map(int, parts[-4:])
    ink = [cx for cx in range(x + 2, x + w - 2) for cy in range(y + 2, y + h - 2)
           if sum(pixel(cx, cy)) < 3 * 128]
    if not ink:
        problems.append("no text drawn for %r" % text)
    elif max(ink) > x + w - 4:
        problems.append("%r reaches its cell's right edge at %d (cell %d..%d)" % (text, max(ink), x, x + w - 1))
    red = any(pixel(cx, cy)[0] > pixel(cx, cy)[1] + 60 for cx in range(x, x + w) for cy in range(y, y + h))
    if text.endswith("refuses it") and not red:
        problems.append("%r is not red" % text)
print("\n".join(problems))
sys.exit(1 if problems else 0)
END
}

# Started with the folder, in the work folder with a scratch home.
(cd "$work" && HOME=$home HUSHMAKER_PROBE_DUMP=$dump exec "$probe" voices 2>"$scratch/stderr") &
pid=$!
started+=("$pid")
wait_until 30 find_window '^Hushmaker$' && main=$window || fail "no Hushmaker window: $(cat "$scratch/stderr")"
if wait_until 30 dumped $'^check\tCheck: voices\t2 files: 1 plays, 1 does not\t1$' && find_window '^Check: voices$'; then
  wait_until 30 read_cells "$window" "Check: voices" check_view || fail "the check view's screenshot: $(cat "$scratch/cells")"
  # Escape closes the view alone, out of the way of the drag.
  xdotool windowfocus --sync "$window" key Escape 2>/dev/null
  wait_until 30 eval '! dumped "^check"' || fail "Escape did not close the check view"
else
  fail "no drawn check view of voices: $(cat "$dump" 2>/dev/null)"
fi

# The package and its folder dragged from another program onto the welcome text: the
# level view opens on that folder. The button is let go once the drag is over the window.
"$drag_source" "file://$work/my%20map.sp"$'\r\n'"file://$work/voices"$'\r\n' "$pointer" 2>"$scratch/drag.log" &
started+=($!)
if wait_until 30 find_window "^drag source $!\$"; then
  xdotool mousemove --window "$window" 60 60 mousedown 1 mousemove --window "$window" 70 70 \
    mousemove --window "$main" 300 40
  wait_until 30 eval '[ "$(cat "$pointer" 2>/dev/null)" = "$main" ]' || fail "the drag never got over the window"
  xdotool mouseup 1
else
  fail "the drag source showed no window"
fi
if wait_until 30 dumped $'^level\tmy map.sp\t'"$work/my map.sp"$'\t'"$work/voices/"$'\t\t1$' &&
  find_window '^my map.sp$'; then
  wait_until 30 read_cells "$window" "my map.sp" level_view || fail "the level view's screenshot: $(cat "$scratch/cells")"
  xdotool windowfocus --sync "$window" key alt+w 2>/dev/null
  wait_until 60 dumped $'^level\tmy map.sp\t.*\t2 files written, 0 failed\t' ||
    fail "Alt+W did not write the level: $(grep '^level' "$dump")"
else
  fail "the dropped package opened no drawn level view on its folder: $(cat "$dump" 2>/dev/null)"
fi

# Escape on the main window ends the program with status 18, views and all.
xdotool windowfocus --sync "$main" key Escape 2>/dev/null
wait_until 30 eval '! kill -0 "$pid" 2>/dev/null' || { fail "Escape did not end the program"; kill "$pid"; }
wait "$pid"
status=$?
[ "$status" -eq 18 ] || fail "the program ended with status $status, expected 18"
[ -z "$(ls -A "$home")" ] || fail "the program wrote into the home folder: $(find "$home")"
finish "view checks"
