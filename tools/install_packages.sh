#!/usr/bin/env bash
# Installs those of the Debian packages named that are missing, as root or through sudo, and
# nothing else. --build names the packages that building the game needs: the compiler, CMake, the
# headers of the libraries the game links, and libpng's, with which the texture generator writes
# the icon files.
#   Usage: tools/install_packages.sh [--build] [PACKAGE...]
set -euo pipefail
build_packages=(g++ cmake make freeglut3-dev libglu1-mesa-dev libx11-dev libopenal-dev libsdl2-dev
    libpng-dev)
wanted=()
for package in "$@"; do
    if [ "$package" = --build ]; then
        wanted+=("${build_packages[@]}")
    else
        wanted+=("$package")
    fi
done
missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
# Others may be installing at the same time: wait for the package lock rather than fail.
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
