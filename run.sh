#!/usr/bin/env bash
# Installs what is missing, builds Hushmaker (the window and hushmaker-cli) and opens
# the window.
set -euo pipefail
cd "$(dirname "$0")"
source ./setup.sh

install_packages "${RUN_PACKAGES[@]}"
build_program build -DBUILD_TESTING=OFF
exec ./build/app/hushmaker
