# Sourced by the install and package checks. installed_files ID PROGRAM...: every file the
# install rules put under the prefix, one per line, sorted; manual pages as installed
# (Debian's package compresses them and the changelog, and names the licence copyright).
installed_files() {
  local id=$1 program size
  shift
  {
    for program in "$@"; do
      echo "bin/$program"
      echo "share/man/man1/$program.1"
    done
    echo "share/applications/$id.desktop"
    echo "share/mime/packages/$id.xml"
    echo "share/metainfo/$id.metainfo.xml"
    for size in 32 48 64 128 256; do echo "share/icons/hicolor/${size}x${size}/apps/$id.png"; done
    echo "share/icons/hicolor/scalable/apps/$id.svg"
    printf 'share/doc/hushmaker/%s\n' README.md LICENSE changelog
  } | LC_ALL=C sort
}
