#!/usr/bin/env bash
# The whole test suite from a fresh Debian machine: installs what is missing (as root), checks the
# formatting, builds the game and its tests with g++, and with clang++ under AddressSanitizer +
# UndefinedBehaviorSanitizer, and for the browser with emscripten, and runs every test once,
# where it tells most:
#   g++ (the player's build)  the rules, the readers and the parsers (unit), the recorded drives'
#                             states and pictures (replay), the browser build's drive checker
#                             under Node against the game's, and the whole game through X input
#                             and screenshots, installed and packaged, and its page in headless
#                             chromium (e2e);
#   clang++, sanitized        the rules and the drives again, everything drawn in test windows
#                             (window), the soak and the readers' fuzzers over their seeds and
#                             briefly (tools/run_fuzz.sh fuzzes longer).
# CTest starts the virtual X servers of the tests that draw. The time of each phase is printed at
# the end.
#
#   tools/check.sh           everything
#   tools/check.sh --quick   formatting, the g++ build, and the tests that need no window (label
#                            unit: the rules, the readers and the recorded drives' states)
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
  emscripten nodejs chromium
)
bash tools/install_packages.sh "${packages[@]}"

jobs=$(nproc)
start=$SECONDS
# The time of each phase, printed at the end.
phases=()
phase_start=$SECONDS
phase()
{
    phases+=("$(printf '%-44s %4d s' "$1" $((SECONDS - phase_start)))")
    phase_start=$SECONDS
}
times()
{
    printf '%s\n' "${phases[@]}"
}

phase "packages"
echo "== Formatting (.clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
phase "formatting"

echo "== g++ build and tests"
# The browser build compiles meanwhile, below the g++ build: its compiler spends much of its time
# starting up.
mkdir -p build-web
web_log=build-web/check-build.log
nice -n 10 bash tools/web.sh >"$web_log" 2>&1 &
web_build=$!
# The browser's tests drive chromium through playwright-core, as tests/web's lock file pins it.
npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
# The window tests run in the sanitizer build only: the g++ build leaves them out, but for
# --quick, after which a developer runs them by hand (README, Working on the game).
window_tests=OFF
[ $quick = 0 ] || window_tests=ON
# Line tables only (-g1): backtraces with lines, in a quarter less time than full debug data.
CC=gcc CXX=g++ cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DBUILD_TESTING=ON -DTARVELO_BENCH=ON \
    -DTARVELO_WINDOW_TESTS=$window_tests -DTARVELO_WEB_BUILD="$PWD/build-web"
cmake --build build -j"$jobs" || { wait $web_build; exit 1; }
if ! wait $web_build; then
    tail -n 40 "$web_log"
    exit 1
fi
phase "g++ build, and the browser build beside it"
if [ $quick = 1 ]; then
    ctest --test-dir build --output-on-failure -j"$jobs" -L unit
    phase "g++ unit tests and drives with no display"
    times
    echo "== Quick checks passed in $((SECONDS - start)) s"
    exit 0
fi

# The sanitizer build compiles meanwhile, below the tests: they leave a core idle while they wait
# for windows and frames.
mkdir -p build-sanitize
sanitize_log=build-sanitize/check-build.log
CC=clang CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
    -DTARVELO_SANITIZE=ON -DTARVELO_FUZZ=ON -DTARVELO_FUZZ_SECONDS="${TARVELO_FUZZ_SECONDS:-5}" \
    >"$sanitize_log" 2>&1
nice -n 10 cmake --build build-sanitize -j"$jobs" >>"$sanitize_log" 2>&1 &
sanitize_build=$!
ctest --test-dir build --output-on-failure -j"$jobs" -L 'unit|replay|e2e' ||
    { wait $sanitize_build; exit 1; }
phase "g++ tests (the sanitizer build beside them)"

echo "== clang++ build with AddressSanitizer and UndefinedBehaviorSanitizer, tests and fuzzing"
if ! wait $sanitize_build; then
    tail -n 40 "$sanitize_log"
    exit 1
fi
phase "the sanitizer build's rest"
# Under the sanitizers, everything but the end-to-end tests, which play the g++ build's game
# through X input and screenshots, slowly: the rules, the readers, the parsers and the recorded
# drives (unit, replay), the drawing and the shell in real windows (window), the soak and the
# fuzzers.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -LE e2e
phase "clang++ tests with the sanitizers, fuzzing"
times
echo "== All checks passed in $((SECONDS - start)) s"
