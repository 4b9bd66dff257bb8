#!/usr/bin/env bash
# Installs what is missing, builds Hushmaker's window and command line twice (plain, and
# with AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test of the first and
# the unit tests of the second; the window's under a virtual 1024x768 display, the command
# line's with no display. Then cross-builds both for Windows and tests them under Wine on
# the same display (skipped when the FLTK and LAME sources are not at hand; see
# build-windows.sh).
set -euo pipefail
cd "$(dirname "$0")"
source ./setup.sh

install_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_program build -DBUILD_TESTING=ON
# Unoptimised, which halves its build time; the sanitizers find as much or more.
build_program build-asan -DHUSHMAKER_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

display_number=90
while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
# -noreset: by default the server resets whenever its last client leaves, and refuses the
# connections that arrive meanwhile, which would fail a program started right then.
Xvfb ":${display_number}" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":${display_number}"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Leaks inside the X and toolkit libraries are theirs, not ours.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1"

# The files of hours (label slow) run in the plain build only: under the sanitizers they
# would take minutes, and the shorter files run through the same code of ours.
echo "== Unit tests with sanitizers =="
ctest --test-dir build-asan -L unit --output-on-failure
echo "== All tests =="
ctest --test-dir build --output-on-failure

echo "== Fuzz targets, 20 s each =="
install_packages "${FUZZ_PACKAGES[@]}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DHUSHMAKER_FUZZ=ON >/dev/null
cmake --build build-fuzz --target fuzz_targets
for source in fuzz/*_fuzz.cpp; do
  name=$(basename "$source" _fuzz.cpp)
  # Each run grows a fresh copy of the seeds; an input that fails is kept as build-fuzz/NAME-*.
  rm -rf "build-fuzz/corpus/$name" && mkdir -p build-fuzz/corpus
  cp -r "fuzz/corpus/$name" build-fuzz/corpus/
  "build-fuzz/fuzz/${name}_fuzz" -max_total_time=20 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="build-fuzz/$name-" "build-fuzz/corpus/$name" 2>"build-fuzz/$name.log" ||
    { tail -n 30 "build-fuzz/$name.log"; false; }
done

echo "== Windows programs under Wine =="
source ./build-windows.sh
if find_windows_sources; then
  install_packages "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
  build_windows build-windows -DBUILD_TESTING=ON
  prepare_wine build-windows
  trap 'wineserver -k 2>/dev/null; kill "$xvfb_pid" 2>/dev/null || true' EXIT
  ctest --test-dir build-windows/hushmaker -L unit --output-on-failure
  bash tests/windows/windows_e2e.sh "$(windows_zip)" build/cli/hushmaker-cli \
    build-windows/hushmaker/bin/hushmaker_probe.exe build/tests/drag_source
else
  echo "Windows leg skipped: $WINDOWS_SOURCES_MISSING"
fi
