#!/usr/bin/env bash
# Makes the README's picture of the game, docs/screenshot.png, from the real game on a virtual
# X server of its own (1024 x 768): builds the game, starts it from data/, drives the car up
# into the river in first gear and takes the screen while it splashes there.
# Usage: tools/screenshot.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")

if [ -z "${TARVELO_SCREENSHOT_ON_X:-}" ]; then
    cmake -S "$root" -B "$build" -DBUILD_TESTING=ON >/dev/null
    cmake --build "$build" -j2 --target tarvelo screen_probe
    TARVELO_SCREENSHOT_ON_X=1 exec "$root/tools/on_xvfb.sh" bash "$0" "$build"
fi

cd "$root/data"
set +eu
source "$root/tests/e2e/e2e_lib.sh" "$build/tarvelo" "$build/tests/e2e/screen_probe"

# The car drives up into the river (y 45..60), which holds it in a splash: the screen then
# shows the river around the car, the road beyond it and the crates in the upper right.
in_river()
{
    local r g b
    read -r r g b <<<"$(probe pixel "$1" "$(col -20)" "$(row 0)")"
    [ "$b" -gt $((r + 40)) ] && steady_map "$1"
}
# The map left of the car no longer moves (the car has come to a halt in the water).
steady_map()
{
    sleep 0.2
    local now
    now=$(shot map-now)
    [ "$(probe diff "$1" "$now" "$(col -29)" 0 "$(col 0)" 767)" = "0.000" ]
}

start_game
keys Up 9
poll 15 in_river || { echo "the car did not come to a halt in the river"; exit 1; }
sleep 0.3
LAST_SHOT=$(shot splash)
mkdir -p "$root/docs"
convert "$LAST_SHOT" "$root/docs/screenshot.png"
keys Escape
wait_exit 5
echo "wrote $root/docs/screenshot.png"
