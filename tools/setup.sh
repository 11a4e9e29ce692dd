#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and looking at Trelvo need (skipped when
# all are present). Run as root or with sudo.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config ccache
          qt6-base-dev qt6-base-dev-tools qt6-websockets-dev qt6-httpserver-dev libqt6sql6-sqlite qt6-multimedia-dev
          libgl-dev libxcb1-dev libxcb-xtest0-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xauth x11-utils openbox
          fonts-dejavu-core
          clang libclang-rt-14-dev
          dpkg-dev lintian systemd)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi
