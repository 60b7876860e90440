#!/usr/bin/env bash
# Installs what building and testing Novadrift needs on Debian 12 (run as root).
# Does nothing when everything is already there.
set -euo pipefail

packages=(cmake make g++ googletest libgtest-dev libbenchmark-dev
          mingw-w64 g++-mingw-w64-i686-posix
          wine wine32 xvfb xserver-xephyr libxinerama1:i386 xdotool x11-utils
          imagemagick nsis
          libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
          clang libclang-rt-14-dev
          libx11-dev libgl1 libglx-mesa0 libgl1-mesa-dri dpkg-dev xscreensaver lintian
          xscreensaver-gl)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
