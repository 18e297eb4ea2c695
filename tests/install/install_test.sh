#!/usr/bin/env bash
# The installed game: installed into a temporary prefix and started from /, then with the prefix
# moved elsewhere, it draws the same start screen as the game built in the tree; the folder of the
# pictures is chosen in its order (--data, TARVELO_DATA, the current folder, the installed
# folder, the folder built in, and for the game in its build folder its source tree's; --data
# naming no folder is one line); --help, --version and mistakes need no X server; --window gives a
# 1024 x 768 window on a larger screen whose Quit button ends the game; the installed desktop
# file, metainfo and manual page pass their validators.
#   Usage: install_test.sh GAME SCREEN_PROBE PICTURE_FOLDER BUILD_FOLDER BUILT_IN_DATA_FOLDER
source "$(dirname "$0")/../e2e/e2e_lib.sh"
BUILD=$4 BUILT_IN=$5
unset TARVELO_DATA
BUILT_GAME=$GAME

reference_start_screen
REFERENCE=$WORK/reference.ppm

# expect_start_screen DESCRIPTION: the game on screen shows the reference start screen exactly.
expect_start_screen()
{
    local screen
    screen=$(shot start)
    if same_screen "$screen" "$REFERENCE"; then
        pass "$1: panel, map and car as in the tree's build, pixel for pixel"
    else
        fail "$1: the start screen differs from the tree's build" "$screen" "$REFERENCE"
    fi
    keys Escape
    wait_exit 5 || fail "$1: Escape did not end the game"
}

PREFIX=$WORK/prefix
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null || { echo "FAIL: cmake --install failed"; exit 1; }
GAME=$PREFIX/bin/tarvelo
start_game /
expect_start_screen "installed in $PREFIX, started from /"

MOVED=$WORK/moved/elsewhere
mkdir -p "$(dirname "$MOVED")"
mv "$PREFIX" "$MOVED"
GAME=$MOVED/bin/tarvelo
start_game /
expect_start_screen "the install moved to $MOVED, started from /"

# ---- the folder of the pictures, each choice shown by the one error line of a missing picture

# folder_without_water NAME: a copy of the pictures lacking Water.bmp.
folder_without_water()
{
    mkdir -p "$WORK/$1"
    cp "$TEXTURES"/*.bmp "$WORK/$1/"
    rm "$WORK/$1/Water.bmp"
    echo "$WORK/$1"
}

# expect_missing_water_in DESCRIPTION FOLDER FROM [ENV=VALUE...] -- [OPTION...]: the game, started
# in FROM, ends with status 1 after exactly the one line naming Water.bmp (or $MISSING) in FOLDER.
expect_missing_water_in()
{
    local description=$1 folder=$2 from=$3 environment=()
    shift 3
    while [ "$1" != -- ]; do environment+=("$1"); shift; done
    shift
    local status=0
    (cd "$from" && exec env "${environment[@]}" "$GAME" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt") &
    local pid=$! i
    for ((i = 0; i < 200; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"; wait "$pid" 2>/dev/null
        fail "$description: the game is still running"; return
    fi
    wait "$pid" || status=$?
    local missing=${MISSING:-Water.bmp}
    local expected="tarvelo: $missing in $folder: Failed to open DIB file $missing."
    if [ "$status" = 1 ] && [ "$(cat "$WORK/err.txt")" = "$expected" ]; then
        pass "$description: status 1, '$expected'"
    else
        fail "$description: status $status, error output '$(cat "$WORK/err.txt")', not '$expected'"
    fi
}

GAME=$BUILT_GAME
given=$(folder_without_water given) variable=$(folder_without_water variable)
current=$(folder_without_water current)
expect_missing_water_in "--data before TARVELO_DATA and the current folder" "$given" "$current" \
    TARVELO_DATA="$variable" -- --data "$given"
expect_missing_water_in "--data=DIR" "$given" "$current" -- --data="$given"
expect_missing_water_in "TARVELO_DATA before the current folder" "$variable" "$current" \
    TARVELO_DATA="$variable" --
expect_missing_water_in "the current folder, when it holds Car.bmp" "$current" "$current" --
rm "$MOVED/share/tarvelo/Water.bmp"
GAME=$MOVED/bin/tarvelo
expect_missing_water_in "the installed folder beside the program, from /" \
    "$MOVED/share/tarvelo" / --
expect_missing_water_in "the installed folder, from a folder without Car.bmp" \
    "$MOVED/share/tarvelo" "$WORK/moved" --
mkdir -p "$WORK/alone/bin"
cp "$BUILT_GAME" "$WORK/alone/bin/tarvelo"
GAME=$WORK/alone/bin/tarvelo
if [ -e "$BUILT_IN/Water.bmp" ]; then
    echo "skipped: the folder built in, $BUILT_IN, holds the pictures on this machine"
else
    # Not there at all: the first picture read is the one missing.
    MISSING=Car.bmp expect_missing_water_in \
        "the folder built in, for a program with no pictures beside it" "$BUILT_IN" / --
fi
GAME=$BUILT_GAME
if [ -e "$BUILT_IN/Car.bmp" ]; then
    echo "skipped: the folder built in, $BUILT_IN, holds the pictures on this machine"
else
    # Not installed: the game in its build folder reads the pictures of its source tree.
    start_game /
    expect_start_screen "the game in its build folder, not installed, started from /"
fi

# ---- the command line with no X server at all

run_without_x() { env -u DISPLAY -u XAUTHORITY "$GAME" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"; }
status=0; run_without_x --help || status=$?
if [ $status = 0 ] && head -n 1 "$WORK/out.txt" | grep -q '^Usage: tarvelo ' &&
    grep -q -- '--window' "$WORK/out.txt" && [ ! -s "$WORK/err.txt" ]; then
    pass "--help: the usage on stdout, status 0, no X server needed"
else
    fail "--help: status $status, stdout '$(head -n 2 "$WORK/out.txt")', stderr '$(cat "$WORK/err.txt")'"
fi
status=0; run_without_x --version || status=$?
if [ $status = 0 ] && [ "$(head -n 1 "$WORK/out.txt")" = "tarvelo $TARVELO_VERSION" ] && [ ! -s "$WORK/err.txt" ]; then
    pass "--version: 'tarvelo $TARVELO_VERSION', status 0"
else
    fail "--version: status $status, first line '$(head -n 1 "$WORK/out.txt")'"
fi
# --mute is one of the game's options: read, and the version shown after it.
status=0; run_without_x --mute --version || status=$?
[ $status = 0 ] && [ ! -s "$WORK/err.txt" ] && pass "'--mute --version': status 0" ||
    fail "'--mute --version': status $status, stderr '$(cat "$WORK/err.txt")'"
for mistake in --frobnicate --data -q "extra"; do
    status=0; run_without_x $mistake || status=$?
    if [ $status = 2 ] && [ "$(wc -l <"$WORK/err.txt")" = 1 ] && [ ! -s "$WORK/out.txt" ]; then
        pass "'$mistake': one line on stderr ($(cat "$WORK/err.txt")), status 2"
    else
        fail "'$mistake': status $status, stderr '$(cat "$WORK/err.txt")', stdout '$(cat "$WORK/out.txt")'"
    fi
done

status=0; run_without_x --data "$WORK/no-such-folder" || status=$?
if [ $status = 1 ] && [ "$(cat "$WORK/err.txt")" = "tarvelo: the pictures folder $WORK/no-such-folder is missing" ]; then
    pass "--data naming a missing folder: that one line, status 1"
else
    fail "--data naming a missing folder: status $status, stderr '$(cat "$WORK/err.txt")'"
fi

# ---- --window on a larger screen, with no window manager to move it

bare_server 1600x1200  # it does not reset under the probes below, which come and go before the game connects
(
    export DISPLAY=$BARE_DISPLAY
    "$GAME" --window --data "$TEXTURES" >/dev/null 2>&1 &
    pid=$!
    geometry=""
    for _ in $(seq 600); do
        geometry=$(xwininfo -root -tree 2>/dev/null | grep -a "\"TARVELO! b$TARVELO_VERSION" |
            grep -o -- '[0-9]*x[0-9]*+-\?[0-9]*+-\?[0-9]*' | head -n 1)
        [ -n "$geometry" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    [ "$geometry" = "1024x768+0+0" ] && echo "ok: --window: a 1024 x 768 window on the 1600 x 1200 screen" ||
        echo "FAIL: --window: the window is '$geometry', not 1024x768+0+0"
    # The panel's corners at the window's corners, once its first frame is shown: the view is
    # stretched over the window alone.
    panel_in_the_window() {
        colour_near "$(probe pixel "$1" 4 4)" 192 192 192 6 &&
            colour_near "$(probe pixel "$1" 4 763)" 192 192 192 6
    }
    poll 30 panel_in_the_window &&
        echo "ok: --window: the panel fills the window's left edge" ||
        echo "FAIL: --window: no panel at the window's left corners"
    # The Quit button covers view x -47..-33, y 6.5..16.5: in the 1024 x 768 window, column 102,
    # row 295.
    xdotool mousemove 102 295 click 1
    for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"; echo "FAIL: --window: a press on Quit where it is drawn left the game running"
    else
        wait "$pid" && echo "ok: --window: a press on Quit where it is drawn ends the game with status 0" ||
            echo "FAIL: --window: the game ended with status $? after a press on Quit"
    fi
) >"$WORK/window.txt" 2>&1
cat "$WORK/window.txt"
FAILURES=$((FAILURES + $(grep -c '^FAIL' "$WORK/window.txt")))

# ---- the installed files pass their validators

share=$MOVED/share
if out=$(desktop-file-validate "$share/applications/tarvelo.desktop" 2>&1) && [ -z "$out" ]; then
    pass "desktop-file-validate: no complaints"
else
    fail "desktop-file-validate: $out"
fi
# Pedantic: not even a hint, just the one line of success.
if out=$(appstreamcli validate --pedantic --no-net "$share/metainfo/org.tarvelo.tarvelo.metainfo.xml" 2>&1) &&
    [ "$out" = "✔ Validation was successful." ]; then
    pass "appstreamcli validate --pedantic --no-net: no issue"
else
    fail "appstreamcli validate --pedantic --no-net: $out"
fi
if out=$(MANWIDTH=80 man --warnings -l "$share/man/man6/tarvelo.6.gz" 2>&1 >/dev/null) && [ -z "$out" ] &&
    MANWIDTH=80 man -l "$share/man/man6/tarvelo.6.gz" 2>/dev/null | grep -q TARVELO_DATA &&
    zcat "$share/man/man6/tarvelo.6.gz" | grep -qxF ".IR $BUILT_IN ,"; then
    pass "man -l renders the manual page without warnings; it names $BUILT_IN"
else
    fail "man -l: $out"
fi
for side in 32 48 64 128 256; do
    icon=$share/icons/hicolor/${side}x$side/apps/tarvelo.png
    [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${side}x$side" ] ||
        fail "the ${side}x$side icon is not a PNG of that size"
done
finish
