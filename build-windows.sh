#!/usr/bin/env bash
# Cross-builds Hushmaker for 64-bit Windows on Debian 12 and writes
# dist/hushmaker-<version>-win64.zip.
#
#   ./build-windows.sh            build the programs and the zip
#   ./build-windows.sh --tests    also build the unit tests (run under Wine by test.sh)
#
# FLTK 1.3.8 and LAME 3.100 are built from their unchanged upstream sources, taken from
# ../shared/vendor/ when that folder holds them, else from FLTK_SOURCE and LAME_SOURCE
# (a release tarball or an unpacked source folder each). Nothing is downloaded. The built
# libraries are kept in the build folder (WINDOWS_BUILD, default build-windows), so a
# second run does not build them again.
set -euo pipefail

WINDOWS_TRIPLET=x86_64-w64-mingw32
WINDOWS_PACKAGES=(cmake ninja-build make zip g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
                  binutils-mingw-w64-x86-64)
# Wine runs the tests; GoogleTest is cross-built from Debian's sources.
WINDOWS_TEST_PACKAGES=(wine wine64 googletest unzip icoutils)

# Where to get the sources when ../shared/vendor/ does not hold them.
WINDOWS_SOURCE_HINT="FLTK 1.3.8: https://www.fltk.org/software.php (fltk-1.3.8-source.tar.gz);
LAME 3.100: https://lame.sourceforge.io/download.php (lame-3.100.tar.gz)"

# find_windows_sources: sets FLTK_SOURCE and LAME_SOURCE, from the environment or the
# vendor folder beside the checkout (run from the checkout's top); false (with a one-line
# reason in WINDOWS_SOURCES_MISSING) when either is missing.
find_windows_sources() {
  local vendor=${VENDOR_DIR:-$(dirname "$PWD")/shared/vendor}
  FLTK_SOURCE=${FLTK_SOURCE:-$vendor/fltk-1.3.8-source.tar.gz}
  LAME_SOURCE=${LAME_SOURCE:-$vendor/lame_3.100.orig.tar.gz}
  WINDOWS_SOURCES_MISSING=""
  local missing=()
  [ -e "$FLTK_SOURCE" ] || missing+=("FLTK 1.3.8 ($FLTK_SOURCE)")
  [ -e "$LAME_SOURCE" ] || missing+=("LAME 3.100 ($LAME_SOURCE)")
  [ ${#missing[@]} -eq 0 ] && return 0
  WINDOWS_SOURCES_MISSING="no sources of $(printf '%s and ' "${missing[@]}" | sed 's/ and $//');"
  WINDOWS_SOURCES_MISSING+=" set FLTK_SOURCE and LAME_SOURCE"
  return 1
}

# source_identity PATH: what a cached build was made from (a tarball's checksum, or a
# source folder's path), so that other sources are built anew.
source_identity() {
  if [ -d "$1" ]; then readlink -f "$1"; else sha256sum "$1" | cut -d' ' -f1; fi
}

# unpack_source PATH FOLDER: the source tree of a tarball or folder, copied into FOLDER
# (the build writes into its tree, and the user's folder stays untouched).
unpack_source() {
  rm -rf "$2"
  mkdir -p "$2"
  if [ -d "$1" ]; then
    cp -a "$1/." "$2"
  else
    tar -xf "$1" -C "$2" --strip-components=1
  fi
}

# is_cached PREFIX IDENTITY: the library in PREFIX was built from IDENTITY.
is_cached() { [ -f "$1/.built-from" ] && [ "$(cat "$1/.built-from")" = "$2" ]; }

# build_identity FUNCTION SOURCE: what a library's build depends on: its sources, the
# compiler's version and the steps of the function that builds it.
build_identity() {
  echo "$2 $WINDOWS_TOOLCHAIN_ID $(declare -f "$1" | sha256sum | cut -c1-16)"
}

# build_fltk BUILD_FOLDER: FLTK as static libraries (its licence allows static linking),
# with its own image and compression libraries, without OpenGL, tests or examples.
build_fltk() {
  local prefix=$1/deps/fltk work=$1/deps-work/fltk identity
  identity=$(build_identity build_fltk "$(source_identity "$FLTK_SOURCE")")
  is_cached "$prefix" "$identity" && return 0
  echo "Building FLTK for Windows from $FLTK_SOURCE"
  unpack_source "$FLTK_SOURCE" "$work/source"
  grep -q 'project (FLTK VERSION 1\.3\.8)' "$work/source/CMakeLists.txt" ||
    { echo "$FLTK_SOURCE is not FLTK 1.3.8" >&2; return 1; }
  rm -rf "$prefix"
  cmake -S "$work/source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DFLTK_BUILD_TEST=OFF -DFLTK_BUILD_EXAMPLES=OFF -DOPTION_USE_GL=OFF \
    -DOPTION_USE_SYSTEM_ZLIB=OFF -DOPTION_USE_SYSTEM_LIBJPEG=OFF -DOPTION_USE_SYSTEM_LIBPNG=OFF \
    -DOPTION_BUILD_HTML_DOCUMENTATION=OFF -DOPTION_BUILD_PDF_DOCUMENTATION=OFF >"$work/configure.log" 2>&1
  cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -n 30 "$work/build.log" >&2; return 1; }
  cmake --install "$work/build" >/dev/null
  install -m 644 "$work/source/COPYING" "$prefix/COPYING"
  echo "$identity" >"$prefix/.built-from"
  rm -rf "$work"
}

# build_lame BUILD_FOLDER: LAME's library as a DLL (its licence asks for a library the
# user can replace), without the command-line front end.
build_lame() {
  local prefix=$1/deps/lame work=$1/deps-work/lame identity
  identity=$(build_identity build_lame "$(source_identity "$LAME_SOURCE")")
  is_cached "$prefix" "$identity" && return 0
  echo "Building LAME for Windows from $LAME_SOURCE"
  unpack_source "$LAME_SOURCE" "$work"
  grep -qx "PACKAGE_VERSION='3.100'" "$work/configure" ||
    { echo "$LAME_SOURCE is not LAME 3.100" >&2; return 1; }
  rm -rf "$prefix"
  (
    cd "$work"
    ./configure --host="$WINDOWS_TRIPLET" CC="$WINDOWS_TRIPLET-gcc-posix" \
      --prefix="$prefix" --enable-shared --disable-static --disable-frontend >configure.log 2>&1
    # The release's export list names lame_init_old, which the library no longer has,
    # and a Windows DLL cannot export a missing symbol: link with the list without it.
    grep -vx lame_init_old include/libmp3lame.sym >exported.sym
    make -j "$(nproc)" \
      libmp3lame_la_LDFLAGS="-version-info 0:0 -export-symbols $work/exported.sym -no-undefined" \
      >build.log 2>&1 || { tail -n 30 build.log >&2; exit 1; }
    make install >/dev/null
    install -m 644 COPYING "$prefix/COPYING"
  )
  echo "$identity" >"$prefix/.built-from"
  rm -rf "$work"
}

# build_googletest BUILD_FOLDER: GoogleTest from Debian's /usr/src/googletest.
build_googletest() {
  local prefix=$1/deps/googletest work=$1/deps-work/googletest identity
  identity=$(build_identity build_googletest "$(dpkg-query -W -f='${Version}' googletest)")
  is_cached "$prefix" "$identity" && return 0
  echo "Building GoogleTest for Windows"
  rm -rf "$prefix" "$work"
  cmake -S /usr/src/googletest -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON >/dev/null
  cmake --build "$work" -j "$(nproc)" >/dev/null
  cmake --install "$work" >/dev/null
  echo "$identity" >"$prefix/.built-from"
  rm -rf "$work"
}

# windows_zip: the path of the zip that make_zip writes, for the version that
# CMakeLists.txt gives the project.
windows_zip() {
  echo "dist/hushmaker-$(sed -n 's/^project(Hushmaker VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-win64.zip"
}

# make_zip BUILD_FOLDER: dist/hushmaker-<version>-win64.zip with the programs, the LAME
# DLL, the README and every licence text, in one folder of the zip's name.
make_zip() {
  local build=$1 zip name stage program
  zip=$(windows_zip)
  name=$(basename "$zip" .zip)
  stage=$build/zip/$name
  rm -rf "$build/zip"
  mkdir -p "$stage" dist
  for program in hushmaker hushmaker-cli; do
    [ -f "$build/hushmaker/bin/$program.exe" ] && cp "$build/hushmaker/bin/$program.exe" "$stage/"
  done
  cp "$build"/deps/lame/bin/libmp3lame-*.dll "$stage/"
  "$WINDOWS_TRIPLET-strip" "$stage"/*.exe "$stage"/*.dll
  # Windows' own editors want CRLF line ends.
  sed 's/$/\r/' README.md >"$stage/README.txt"
  sed 's/$/\r/' "$build/deps/fltk/COPYING" >"$stage/LICENSE-FLTK.txt"
  sed 's/$/\r/' "$build/deps/lame/COPYING" >"$stage/LICENSE-LAME.txt"
  local own
  for own in LICENSE LICENSE.txt LICENSE.md COPYING; do
    [ -f "$own" ] && sed 's/$/\r/' "$own" >"$stage/LICENSE.txt" && break
  done
  rm -f "$zip"
  (cd "$build/zip" && zip -q -X -r "$OLDPWD/$zip" "$name")
  echo "Wrote $zip"
}

# build_windows BUILD_FOLDER [CMAKE OPTION...]: libraries (cached), programs and zip.
build_windows() {
  local build=$1
  shift
  mkdir -p "$build"
  build=$(readlink -f "$build")
  WINDOWS_TOOLCHAIN=$PWD/cmake/mingw-w64.cmake
  WINDOWS_TOOLCHAIN_ID=$("$WINDOWS_TRIPLET-g++-posix" -dumpfullversion)
  build_fltk "$build"
  build_lame "$build"
  local prefixes="$build/deps/fltk;$build/deps/lame"
  local testing=()
  if [[ " $* " == *" -DBUILD_TESTING=ON "* ]]; then
    build_googletest "$build"
    prefixes="$prefixes;$build/deps/googletest"
    # ctest runs the test programs under Wine.
    testing=(-DCMAKE_CROSSCOMPILING_EMULATOR=wine)
  fi
  cmake -S . -B "$build/hushmaker" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" \
    -DHUSHMAKER_WINDOWS_DEPS="$prefixes" -DCMAKE_PREFIX_PATH="$prefixes" "${testing[@]}" "$@" \
    >/dev/null
  cmake --build "$build/hushmaker" -j "$(nproc)"
  make_zip "$build"
}

# prepare_wine BUILD_FOLDER: a Wine prefix of the build folder's own, made once, and a
# Wine server that stays up while the tests start one program after another.
prepare_wine() {
  WINEPREFIX=$(readlink -f "$1")/wine-prefix
  export WINEPREFIX WINEDEBUG=-all
  # The programs need neither Wine's .NET nor its browser: no offer to install them.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making a Wine prefix in $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # A server left running by an earlier run of this prefix is replaced by a lasting one.
  wineserver -k >/dev/null 2>&1 && wineserver -w
  wineserver -p </dev/null >/dev/null 2>&1
  # Wine's own services start with the first program and outlive it. Started here with no
  # output, they hold no test's output open, which would keep its runner waiting.
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

build_windows_main() {
  # Paths the user gave are taken from where the script was started.
  [ -n "${FLTK_SOURCE:-}" ] && FLTK_SOURCE=$(readlink -m "$FLTK_SOURCE")
  [ -n "${LAME_SOURCE:-}" ] && LAME_SOURCE=$(readlink -m "$LAME_SOURCE")
  cd "$(dirname "$0")"
  source ./setup.sh
  local options=(-DBUILD_TESTING=OFF)
  case "${1:-}" in
    --tests) options=(-DBUILD_TESTING=ON) ;;
    "") ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
  esac
  if ! find_windows_sources; then
    echo "build-windows.sh: $WINDOWS_SOURCES_MISSING" >&2
    echo "$WINDOWS_SOURCE_HINT" >&2
    exit 1
  fi
  install_packages "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
  build_windows "${WINDOWS_BUILD:-build-windows}" "${options[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then build_windows_main "$@"; fi
