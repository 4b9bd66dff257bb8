#!/usr/bin/env bash
# Installs into a scratch DESTDIR and checks each installed piece with the tool that
# validates it, then starts the installed program.
# $1: cmake, $2: the build folder, $3: the application id, $4...: the programs built.
# DISPLAY: the test screen.
set -u
cmake=$1 build=$2 id=$3
shift 3
programs=("$@")
source "$(dirname "$0")/installed_files.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../e2e_harness.sh"

DESTDIR=$scratch/stage "$cmake" --install "$build" --prefix /usr >/dev/null || fail "cmake --install failed"
root=$scratch/stage/usr
actual=$(cd "$root" && find . -type f -printf '%P\n' | LC_ALL=C sort)
[ "$actual" = "$(installed_files "$id" "${programs[@]}")" ] ||
  fail "installed files differ from the expected list:
$(diff <(installed_files "$id" "${programs[@]}") <(echo "$actual"))"

desktop=$root/share/applications/$id.desktop
report=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ] || fail "desktop-file-validate: $report"
# The entry must start an installed program with the files it is given, show an installed
# icon and match the window.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$root/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
[ "${exec_line#* }" = "%F" ] || fail "Exec=$exec_line does not take the files it is given (%F)"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "the entry's icon is not $id"
[ "$(sed -n 's/^StartupWMClass=//p' "$desktop")" = "$id" ] || fail "the entry's window class is not $id"

# The types the entry lists are those the installed MIME package defines, and the system's
# own tool takes them into a database where the packages' names find them.
mime=$scratch/mime
mkdir -p "$mime/packages"
cp "$root/share/mime/packages/$id.xml" /usr/share/mime/packages/freedesktop.org.xml "$mime/packages/"
report=$(XDG_DATA_HOME=$scratch XDG_DATA_DIRS=$scratch update-mime-database "$mime" 2>&1) &&
  [ -z "$report" ] || fail "update-mime-database: $report"
for pair in "*.sp:text/x-striped-package" "*.str:text/x-stringed-package"; do
  grep -qxF "50:${pair#*:}:${pair%%:*}" "$mime/globs2" || fail "no ${pair%%:*} type in the MIME database"
  grep -q "^MimeType=.*${pair#*:};" "$desktop" || fail "the entry does not list ${pair#*:}"
done

metainfo=$root/share/metainfo/$id.metainfo.xml
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
grep -E '^[EW]:' <<<"$report" && fail "appstreamcli reports errors or warnings"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"

theme=$root/share/icons/hicolor
for size in 32 48 64 128 256; do
  found=$(identify -format '%m %wx%h' "$theme/${size}x$size/apps/$id.png" 2>&1)
  [ "$found" = "PNG ${size}x$size" ] || fail "the ${size}x$size icon is $found"
done
python3 -c 'import sys, xml.etree.ElementTree as E; svg = E.parse(sys.argv[1]).getroot()
sys.exit(svg.tag != "{http://www.w3.org/2000/svg}svg" or not svg.get("viewBox"))' \
  "$theme/scalable/apps/$id.svg" || fail "the scalable icon is not an SVG picture with a viewBox"

for page in "$root"/share/man/man1/*.1; do
  report=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$report" ] || fail "man warns on $(basename "$page"): $report"
done

# The installed program's window carries the entry's class. (How it starts and ends is
# the start-up test's.)
(cd "$scratch" && exec "$root/bin/hushmaker" 2>/dev/null) &
pid=$!
timeout 10 xdotool search --sync --all --onlyvisible --pid "$pid" --classname "^$id\$" >/dev/null ||
  fail "the installed program shows no window of class $id"
kill "$pid" && wait "$pid" 2>/dev/null

finish "install checks"
