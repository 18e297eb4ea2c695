#!/usr/bin/env bash
# Today's screens with the real game. F11 and Alt+Enter switch between full screen and a
# 1024 x 768 window (or -geometry's) at any moment, also paused, under the tests' window manager
# and on a bare X server of 1920 x 1080, and the game goes on where it stood, with Quit hit where
# drawn; the window's close box ends it with status 0. With --aspect=keep the 1920 x 1080 screen shows in
# its middle exactly what a 1440 x 1080 screen shows, between bars in the colour beyond the map's
# border, with Quit hit where drawn and not beside it; and the picture follows the window's shape.
source "$(dirname "$0")/e2e_lib.sh"

WINDOW_CLOSE="$(dirname "$PROBE")/window_close"

# The game window's size and place, "WIDTHxHEIGHT+X+Y".
window_geometry()
{
    xwininfo -root -tree | grep -a "\"TARVELO! b$TARVELO_VERSION" | grep -o -- '[0-9]*x[0-9]*+-\?[0-9]*+-\?[0-9]*' | head -n 1
}

# Predicates for poll: the window as asked, and its picture standing still.
full_screen_under_manager() { full_screen_state && steady "$1"; }
windowed_under_manager() { ! full_screen_state && [ "$(window_geometry)" = "1024x768+0+0" ] && steady "$1"; }
geometry_is() { [ "$(window_geometry)" = "$2" ] && steady "$1"; }

# cropped SHOT WIDTH HEIGHT X Y NAME: a part of a screenshot, as a picture of its own.
cropped()
{
    convert "$1" -crop "$2x$3+$4+$5" +repage "ppm:$WORK/$6.ppm" && echo "$WORK/$6.ppm"
}

# switch_and_back KEY WHAT REFERENCE: KEY to the window and KEY again to full screen, under the
# window manager; the screen is then REFERENCE again, pixel for pixel.
switch_and_back()
{
    keys "$1"
    if poll 10 windowed_under_manager; then
        pass "$1$2: a 1024 x 768 window, no longer full screen"
    else
        fail "$1$2 did not give a 1024 x 768 window (state: $(xprop -id "$WINDOW" _NET_WM_STATE), $(window_geometry))" "$LAST_SHOT"
    fi
    keys "$1"
    if poll 10 full_screen_under_manager && same_screen "$LAST_SHOT" "$3"; then
        pass "$1 again$2: full screen, the same picture pixel for pixel"
    else
        fail "$1 again$2 did not bring back the full-screen picture" "$LAST_SHOT" "$3"
    fi
}

# ---- under the tests' window manager (1024 x 768)

start_game
FULL="$WORK/full.ppm"
cp "$LAST_SHOT" "$FULL"
full_screen_state && pass "the game starts full screen" || fail "the game does not start full screen"
switch_and_back F11 "" "$FULL"
switch_and_back alt+Return " (Alt+Enter)" "$FULL"
keys p
poll 5 steady
PAUSED="$WORK/paused.ppm"
cp "$LAST_SHOT" "$PAUSED"
switch_and_back F11 " while paused" "$PAUSED"
keys p
keys F11
poll 10 windowed_under_manager
"$WINDOW_CLOSE" "$WINDOW"
wait_exit 5 && [ "$EXIT_STATUS" = 0 ] && pass "the window's close box ends the game with status 0" ||
    fail "the window's close box did not end the game with status 0 (status '${EXIT_STATUS:-running}')"

# ---- a bare X server of 1920 x 1080, which only the game itself resizes

# (-noreset: one game after another, as a desktop's server stays up between them)
bare_server 1920x1080
export DISPLAY=$BARE_DISPLAY

start_game
WIDE="$WORK/wide.ppm"
cp "$LAST_SHOT" "$WIDE"
keys F11
if poll 10 geometry_is 1024x768+0+0 &&
    same_screen "$(cropped "$LAST_SHOT" 1024 768 0 0 windowed)" "$FULL"; then
    pass "F11 on a bare server: a 1024 x 768 window showing what a 1024 x 768 screen shows"
else
    fail "F11 on a bare server: the window is $(window_geometry), or its picture is not the 1024 x 768 one" "$LAST_SHOT" "$FULL"
fi
# Quit as drawn in the window: x -47..-33 and y 6.5..16.5 of its view.
click "$(col -40)" "$(row 5.5)"
keys alt+Return
if poll 10 geometry_is 1920x1080+0+0 && same_screen "$LAST_SHOT" "$WIDE"; then
    pass "Alt+Enter on a bare server: full screen again, the same picture pixel for pixel"
else
    fail "Alt+Enter on a bare server did not bring back the full-screen picture ($(window_geometry))" "$LAST_SHOT" "$WIDE"
fi
# Paused: the kept picture in the window, and pixel for pixel again back in full screen.
keys p
poll 5 steady
PAUSED_WIDE="$WORK/paused-wide.ppm"
cp "$LAST_SHOT" "$PAUSED_WIDE"
keys F11
poll 10 geometry_is 1024x768+0+0
keys F11
if poll 10 geometry_is 1920x1080+0+0 && same_screen "$LAST_SHOT" "$PAUSED_WIDE"; then
    pass "F11 twice while paused on a bare server: the paused picture again, pixel for pixel"
else
    fail "F11 twice while paused on a bare server did not bring back the paused picture" "$LAST_SHOT" "$PAUSED_WIDE"
fi
keys p
keys F11
poll 10 geometry_is 1024x768+0+0
click "$(col -40)" "$(row 11.5)"
wait_exit 5 && [ "$EXIT_STATUS" = 0 ] && pass "in the window Quit is hit where drawn, and not just below it" ||
    fail "a press on Quit in the window did not end the game with status 0 (status '${EXIT_STATUS:-running}')"

# A window of -geometry's size: F11 to full screen and back to that size.
PICTURE_WIDTH=800 PICTURE_HEIGHT=600 start_game "$TEXTURES" -geometry 800x600+0+0
keys F11
poll 10 geometry_is 1920x1080+0+0
keys F11
poll 10 geometry_is 800x600+0+0 && pass "-geometry 800x600: F11 twice gives back the 800 x 600 window" ||
    fail "-geometry 800x600: F11 twice gave a window of $(window_geometry)" "$LAST_SHOT"
keys Escape
wait_exit 5
# Placed away from the corner: F11 twice puts it back where it was.
full_size() { [ "$(window_geometry | cut -d+ -f1)" = 1920x1080 ]; }
launch "$TEXTURES" "$GAME" -geometry 800x600+200+100
poll 10 geometry_is 800x600+200+100
xdotool mousemove 600 400  # the keyboard follows the pointer on a bare server
keys F11
poll 10 full_size
keys F11
poll 10 geometry_is 800x600+200+100 && pass "-geometry 800x600+200+100: F11 twice puts the window back at 200,100" ||
    fail "-geometry 800x600+200+100: F11 twice gave a window of $(window_geometry)" "$LAST_SHOT"
keys Escape
wait_exit 5

# ---- the proportions kept on the bare 1920 x 1080 server: the 1440 x 1080 picture between bars

# The picture of a 1440 x 1080 screen, from a window of that size at the top left.
start_game "$TEXTURES" -geometry 1440x1080+0+0
FOUR_BY_THREE=$(cropped "$LAST_SHOT" 1440 1080 0 0 four-by-three)
keys Escape
wait_exit 5

PICTURE_LEFT=240 start_game "$TEXTURES" --aspect=keep
KEPT="$WORK/kept.ppm"
cp "$LAST_SHOT" "$KEPT"
if same_screen "$(cropped "$KEPT" 1440 1080 240 0 middle)" "$FOUR_BY_THREE"; then
    pass "--aspect=keep: the middle 1440 x 1080 is the 1440 x 1080 screen's picture, pixel for pixel"
else
    fail "--aspect=keep: the middle 1440 x 1080 differs from the 1440 x 1080 screen's picture" "$KEPT" "$FOUR_BY_THREE"
fi
# The colour beyond the map's border: 0.164, 0.344, 0.133.
border_pixels() { probe count "$1" "$2" "$3" "$4" "$5" 40 42 86 88 32 34; }
if [ "$(border_pixels "$KEPT" 0 0 239 1079)" = $((240 * 1080)) ] &&
    [ "$(border_pixels "$KEPT" 1680 0 1919 1079)" = $((240 * 1080)) ]; then
    pass "--aspect=keep: the bars beside the picture are the colour beyond the map's border"
else
    fail "--aspect=keep: the bars are not all the border's colour" "$KEPT"
fi
QUIT_ROW=$(awk 'BEGIN { printf "%d", (50 - 11.5) / 100 * 1080 }')
click 100 "$QUIT_ROW"  # where a stretched picture has Quit
click $((240 + 29)) "$QUIT_ROW"  # the panel just left of Quit (view x -48)
sleep 0.5
if kill -0 "$GAME_PID" 2>/dev/null; then pass "--aspect=keep: presses in the bar and beside Quit leave the game running"
else fail "--aspect=keep: a press beside Quit ended the game"; fi

# The picture follows the window's shape: F11 gives the 4:3 window, no bars; a wide window has
# bars beside the picture, a tall one above and below it.
keys F11
if poll 10 geometry_is 1024x768+0+0 &&
    same_screen "$(cropped "$LAST_SHOT" 1024 768 0 0 kept-window)" "$FULL"; then
    pass "--aspect=keep, F11: the 1024 x 768 window shows what a 1024 x 768 screen shows"
else
    fail "--aspect=keep, F11: not the 1024 x 768 picture in the window ($(window_geometry))" "$LAST_SHOT" "$FULL"
fi
# shape_shown SHOT LEFT TOP WIDTH HEIGHT: the picture's panel at its top left corner, and the
# border's colour just outside it on every side that has a bar.
shape_shown()
{
    local shot=$1 left=$2 top=$3 width=$4 height=$5
    colour_near "$(probe pixel "$shot" $((left + 4)) $((top + 4)))" 192 192 192 6 &&
        colour_near "$(probe pixel "$shot" $((left + 4)) $((top + height - 4)))" 192 192 192 6 &&
        { [ "$left" = 0 ] || [ "$(border_pixels "$shot" 0 "$top" $((left - 1)) $((top + height - 1)))" = $((left * height)) ]; } &&
        { [ "$top" = 0 ] || [ "$(border_pixels "$shot" 0 0 $((width - 1)) $((top - 1)))" = $((width * top)) ]; }
}
wide_shape() { [ "$(window_geometry)" = 1024x600+0+0 ] && shape_shown "$1" 112 0 800 600; }
tall_shape() { [ "$(window_geometry)" = 600x900+0+0 ] && shape_shown "$1" 0 225 600 450; }
xdotool windowsize "$WINDOW" 1024 600
poll 10 wide_shape && pass "a wide window: the 800 x 600 picture in the middle, bars beside it" ||
    fail "a 1024 x 600 window does not show the 800 x 600 picture between bars" "$LAST_SHOT"
xdotool windowsize "$WINDOW" 600 900
poll 10 tall_shape && pass "a tall window: the 600 x 450 picture in the middle, bars above and below" ||
    fail "a 600 x 900 window does not show the 600 x 450 picture between bars" "$LAST_SHOT"
# Quit in the tall window's picture: view x -40, y 11.5.
click 60 $((225 + 173))
wait_exit 5 && [ "$EXIT_STATUS" = 0 ] && pass "--aspect=keep: Quit is hit where drawn, with status 0" ||
    fail "--aspect=keep: a press on Quit did not end the game with status 0 (status '${EXIT_STATUS:-running}')"
finish
