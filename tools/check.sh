#!/usr/bin/env bash
# The whole test suite from a fresh Debian machine: installs what is missing (as root), builds the
# game plainly and with AddressSanitizer + UndefinedBehaviorSanitizer, and runs every test of both
# builds on a virtual X server of its own, then fuzzes the BMP reader for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ clang cmake make pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  libgtest-dev libbenchmark-dev libstb-dev libpng-dev libclang-rt-14-dev
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick matchbox-window-manager libxtst-dev
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)

echo "== Plain build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
tools/on_xvfb.sh ctest --test-dir build --output-on-failure

echo "== Sanitizer build and tests"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTARVELO_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  tools/on_xvfb.sh ctest --test-dir build-sanitize --output-on-failure

echo "== Fuzzing the BMP reader"
tools/run_fuzz.sh "${TARVELO_FUZZ_SECONDS:-60}"
echo "== All checks passed"
