#!/usr/bin/env bash
# The real game on an X server with no window manager (a kiosk, `startx` with no desktop): the
# window covers the whole screen from (0, 0), and the start screen shows the panel, the map and
# the car exactly where they are under a window manager.
source "$(dirname "$0")/e2e_lib.sh"

# window_geometry: "WIDTHxHEIGHT+X+Y" of the game's window on the X server in DISPLAY.
window_geometry()
{
    xwininfo -root -tree | grep -a "\"TARVELO! b$TARVELO_VERSION" | grep -o -- '-\?[0-9]*x-\?[0-9]*+-\?[0-9]*+-\?[0-9]*' | head -n 1
}

# Under the window manager of the test command's X server.
start_game
shot with-manager >/dev/null  # kept in $WORK/with-manager.ppm
kill "$GAME_PID"; wait "$GAME_PID" 2>/dev/null; GAME_PID=""

# A bare X server of its own, the same size, with nothing else running on it.
bare_server "${SCREEN_WIDTH}x${SCREEN_HEIGHT}"
export DISPLAY=$BARE_DISPLAY
if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
    echo "FAIL: the bare X server has a window manager"; exit 1
fi

start_game
geometry=$(window_geometry)
if [ "$geometry" = "${SCREEN_WIDTH}x${SCREEN_HEIGHT}+0+0" ]; then
    pass "with no window manager the window covers the screen: $geometry"
else
    fail "with no window manager the window is at $geometry, not ${SCREEN_WIDTH}x${SCREEN_HEIGHT}+0+0"
fi
BARE=$(shot bare)
if same_screen "$BARE" "$WORK/with-manager.ppm"; then
    pass "the start screen is the same pixel for pixel as under a window manager"
else
    fail "the start screen differs from the one under a window manager" "$BARE" "$WORK/with-manager.ppm"
fi
keys Escape
wait_exit 5 && [ "$EXIT_STATUS" = 0 ] && pass "Escape ends the game with status 0" ||
    fail "Escape did not end the game with status 0 (status '${EXIT_STATUS:-running}')"
finish
