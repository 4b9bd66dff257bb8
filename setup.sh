# Shared by run.sh and test.sh: installs missing Debian packages and builds the program.

RUN_PACKAGES=(cmake g++ ninja-build libfltk1.3-dev libfontconfig-dev libmp3lame-dev xdg-utils fonts-liberation2)
TEST_PACKAGES=(python3 libgtest-dev xvfb xauth xdotool x11-utils ffmpeg mpg123 mp3val imagemagick
               desktop-file-utils shared-mime-info appstream man-db dpkg-dev lintian lame sox libsox-fmt-mp3)
# libFuzzer and the sanitizers' runtimes for the fuzz targets of fuzz/.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# install_packages NAME...: installs those of the named packages that are missing.
install_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local run_as_root=()
  [ "$(id -u)" -eq 0 ] || run_as_root=(sudo)
  # Another install may hold dpkg's lock for a while; wait for it instead of failing.
  local wait_for_lock=(-o DPkg::Lock::Timeout=600)
  "${run_as_root[@]}" apt-get "${wait_for_lock[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive "${run_as_root[@]}" apt-get "${wait_for_lock[@]}" install -y -qq \
    --no-install-recommends "${missing[@]}"
}

# build_program FOLDER [CMAKE OPTION...]: configures and builds everything into FOLDER.
build_program() {
  local folder=$1
  shift
  cmake -S . -B "$folder" -G Ninja "$@" >/dev/null
  cmake --build "$folder" -j "$(nproc)"
}
