#!/usr/bin/env bash
# Builds the Debian package with CPack and checks its fields, its files and lintian's
# verdict, hardening included. Skipped (status 77) where Debian's packaging tools are
# missing.
# $1: the build folder, $2: the version, $3: the application id, $4...: the programs built.
set -u
build=$1 version=$2 id=$3
shift 3
programs=("$@")
source "$(dirname "$0")/installed_files.sh"
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: no package is built without $tool"; exit 77; }
done
source "$(dirname "$0")/../e2e_harness.sh"

scratch=$build/test-artifacts/package
rm -rf "$scratch"
mkdir -p "$scratch"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; echo "FAIL: cpack could not build the package"; exit 1; }
deb=$scratch/hushmaker_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$scratch"; echo "FAIL: no $(basename "$deb")"; exit 1; }

dpkg-deb --info "$deb"
# Libraries come from the linked shared objects; the fonts are the window's own need.
depends=$(dpkg-deb --field "$deb" Depends)
for package in fonts-liberation2 libc6 libmp3lame0 libfltk1.3; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

expected=$(installed_files "$id" "${programs[@]}" |
  sed -e 's|^share/man/man1/.*|&.gz|' -e 's|/changelog$|&.gz|' -e 's|/LICENSE$|/copyright|' |
  sed 's|^|./usr/|' | LC_ALL=C sort)
actual=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "package files differ from the expected list:
$(diff <(echo "$expected") <(echo "$actual"))"

# Errors fail the package, and so does any hardening note (some are only information):
# the programs are built with Debian's hardening flags.
report=$(lintian --fail-on error --display-info "$deb" 2>&1)
lintian_status=$?
grep -v "running with root privileges" <<<"$report"
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors"
grep -q " hardening-" <<<"$report" && fail "lintian finds a program built without hardening"

[ "$failures" -eq 0 ] || { echo "$failures package check(s) failed"; exit 1; }
echo "package checks passed: $deb"
