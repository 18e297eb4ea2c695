#!/usr/bin/env bash
# Makes the README's pictures of the game from the real game on virtual X servers of their own:
# docs/screenshot.png on a 1024 x 768 screen, and docs/screenshot-wide.png and
# docs/screenshot-wide-keep.png on a 16:9 screen (1280 x 720), the picture stretched over it and
# with its proportions kept (--aspect=keep). Each time it builds the game, starts it from data/,
# drives the car up into the river in first gear and takes the screen while it splashes there.
# docs/screenshot-time-trial.png: the time trial on the 1024 x 768 screen, the car through the
# first gate with the clock running and the tests' clean lap beside it as the best lap's ghost.
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
TARVELO_VERSION=$("$build/tarvelo" --version | awk 'NR == 1 { print $2 }')  # in the window's title
source "$root/tests/e2e/e2e_lib.sh" "$build/tarvelo" "$build/tests/e2e/screen_probe"

# Where the game's picture lies on the screen: its left edge, width and height in pixels.
PICTURE_LEFT=0 PICTURE_WIDTH=1024 PICTURE_HEIGHT=768
# The screen pixel of a view point (x, y), -50..50 across the picture.
pcol() { awk "BEGIN { printf \"%d\", $PICTURE_LEFT + (($1) + 50) / 100 * $PICTURE_WIDTH }"; }
prow() { awk "BEGIN { printf \"%d\", (50 - ($1)) / 100 * $PICTURE_HEIGHT }"; }

# The car drives up into the river (y 45..60), which holds it in a splash: the screen then
# shows the river around the car, the road beyond it and the crates in the upper right.
in_river()
{
    local r g b
    read -r r g b <<<"$(probe pixel "$1" "$(pcol -20)" "$(prow 0)")"
    [ "$b" -gt $((r + 40)) ] && steady_map "$1"
}
# The map left of the car no longer moves (the car has come to a halt in the water).
steady_map()
{
    sleep 0.2
    local now
    now=$(shot map-now)
    [ "$(probe diff "$1" "$now" "$(pcol -29)" 0 "$(pcol 0)" $((PICTURE_HEIGHT - 1)))" = "0.000" ]
}

# splash_shot FILE [OPTION...]: the game started with the options, in the river, into FILE.
splash_shot()
{
    local file=$1
    shift
    start_game "$root/data" "$@"
    keys Up 9
    poll 15 in_river || { echo "the car did not come to a halt in the river"; exit 1; }
    sleep 0.3
    LAST_SHOT=$(shot splash)
    mkdir -p "$root/docs"
    convert "$LAST_SHOT" "$root/docs/$file"
    keys Escape
    wait_exit 5
    echo "wrote $root/docs/$file"
}

splash_shot screenshot.png

# The time trial: a moment after the car, in first gear, has crossed the first gate, which set the
# ghost going.
export XDG_DATA_HOME=$WORK/trial-data
mkdir -p "$XDG_DATA_HOME/tarvelo"
cp "$root/tests/replays/lap_clean.rec" "$XDG_DATA_HOME/tarvelo/best-lap.rec"
start_game "$root/data" --time-trial
keys Up 9
sleep 0.4
convert "$(shot trial)" "$root/docs/screenshot-time-trial.png"
keys Escape
wait_exit 5
echo "wrote $root/docs/screenshot-time-trial.png"

# A bare X server of 16:9, where the full-screen window covers the screen from its corner.
bare_server 1280x720
export DISPLAY=$BARE_DISPLAY

PICTURE_WIDTH=1280 PICTURE_HEIGHT=720
splash_shot screenshot-wide.png
PICTURE_LEFT=160 PICTURE_WIDTH=960
splash_shot screenshot-wide-keep.png --aspect=keep
