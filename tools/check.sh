#!/usr/bin/env bash
# The whole test suite from a fresh Debian machine: installs what is missing (as root), checks the
# formatting, builds the game and its tests with g++ and runs them all, then builds them with
# clang++ under AddressSanitizer + UndefinedBehaviorSanitizer and runs them all again, with the
# BMP reader's fuzzer. CTest starts its own virtual X server for the tests that draw.
#
#   tools/check.sh           everything
#   tools/check.sh --quick   the g++ build and the fast tests (labels unit and window) only
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
case ${1:-} in
"") ;;
--quick) quick=1 ;;
*)
    echo "usage: tools/check.sh [--quick]" >&2
    exit 2
    ;;
esac

packages=(
  g++ clang clang-format cmake make pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  libgtest-dev libbenchmark-dev libstb-dev libpng-dev libclang-rt-14-dev
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick matchbox-window-manager libxtst-dev
  desktop-file-utils appstream man-db dpkg-dev file lintian libopenal-dev libsdl2-dev python3
)
bash tools/install_packages.sh "${packages[@]}"

jobs=$(nproc)
start=$SECONDS

echo "== Formatting (.clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== g++ build and tests"
CC=gcc CXX=g++ cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DTARVELO_BENCH=ON
cmake --build build -j"$jobs"
if [ $quick = 1 ]; then
    ctest --test-dir build --output-on-failure -j"$jobs" -L 'unit|window'
    echo "== Quick checks passed in $((SECONDS - start)) s"
    exit 0
fi
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== clang++ build with AddressSanitizer and UndefinedBehaviorSanitizer, tests and fuzzing"
CC=clang CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
    -DTARVELO_SANITIZE=ON -DTARVELO_FUZZ=ON -DTARVELO_FUZZ_SECONDS="${TARVELO_FUZZ_SECONDS:-60}"
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
echo "== All checks passed in $((SECONDS - start)) s"
