#!/usr/bin/env bash
# The command line as a player meets it, on a bare X server of its own (1600 x 1200, no window
# manager; and one that resets when its last client leaves, as `xinit` gives): every option the help lists
# starts the game; values given to options that take none, and geometries that are none, are one
# line and status 2; a position alone places the usual window; an oversized window is drawn into;
# the settings file's window, and --window over it;
# no display and closed standard streams are the game's own words and statuses.
source "$(dirname "$0")/e2e_lib.sh"

# Games come and go on it one after another: it stays up between them (-noreset).
bare_server 1600x1200
export DISPLAY=$BARE_DISPLAY
cd "$TEXTURES" || exit 1

# The game's window as "WIDTHxHEIGHT+X+Y", or nothing.
game_window() { xwininfo -root -tree 2>/dev/null | grep -a '"TARVELO! b' | grep -o -- '[0-9]*x[0-9]*+-\?[0-9]*+-\?[0-9]*' | head -n 1; }

# runs_with DESCRIPTION OPTION...: the game started with the options opens its window and plays
# on until it is stopped; its error output names no mistake.
runs_with()
{
    local description=$1 geometry="" i
    shift
    "$GAME" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt" &
    GAME_PID=$!
    # The game says it has its display before anything else looks at the server: a server that
    # resets when its last client leaves would reset under a probe that came and went before.
    for i in $(seq 600); do
        grep -q "Please wait" "$WORK/out.txt" && break
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.05
    done
    for i in $(seq 600); do
        geometry=$(game_window)
        [ -n "$geometry" ] && break
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.05
    done
    sleep 1
    WINDOW_GEOMETRY=$geometry
    if [ -n "$geometry" ] && kill -0 "$GAME_PID" 2>/dev/null && ! grep -q "option" "$WORK/err.txt"; then
        pass "$description: the game plays ($geometry)"
    else
        wait_exit 1
        fail "$description: status '${EXIT_STATUS:-running}', window '$geometry', stderr '$(cat "$WORK/err.txt")'"
    fi
    kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=""
}

# ends_with DESCRIPTION STATUS LINE COMMAND...: the command ends at once with the status and
# exactly the one line on stderr, and opens no window.
ends_with()
{
    local description=$1 expected=$2 line=$3 status=0
    shift 3
    timeout 20 "$@" >"$WORK/out.txt" 2>"$WORK/err.txt" || status=$?
    if [ "$status" = "$expected" ] && [ "$(cat "$WORK/err.txt")" = "$line" ] && [ -z "$(game_window)" ]; then
        pass "$description: '$line', status $status"
    else
        fail "$description: status $status, stderr '$(cat "$WORK/err.txt")' (expected $expected, '$line')"
    fi
}

# ---- every option of the help

"$GAME" --help >"$WORK/help.txt"
options=$(grep -o -- '^ *--[a-z-]*' "$WORK/help.txt" | tr -d ' ')
x_options=$(sed -n '/^The X options/,/^$/p' "$WORK/help.txt" | grep -oE -- '(^| )-[a-z]+' | tr -d ' ')
[ "$(echo "$options" | wc -l)" -ge 5 ] && [ "$(echo "$x_options" | wc -l)" -ge 5 ] ||
    fail "the help lists too few options: $options / $x_options"
mkdir -p "$WORK/empty"
"$GAME" --print-settings >"$WORK/own.conf"
for option in $options; do
    case $option in
    --help | --version | --print-settings)
        status=0; "$GAME" "$option" >"$WORK/out.txt" 2>"$WORK/err.txt" || status=$?
        [ $status = 0 ] && [ -s "$WORK/out.txt" ] && [ ! -s "$WORK/err.txt" ] &&
            pass "$option: shown, status 0" || fail "$option: status $status, stderr '$(cat "$WORK/err.txt")'"
        ;;
    --data) (cd "$WORK/empty" && runs_with "--data from a folder without pictures" --window --data="$TEXTURES") ;;
    --record) runs_with "--record" --window --record="$WORK/drive.rec" ;;  # stopped: a whole drive
    --replay) runs_with "--replay" --window --replay="$WORK/drive.rec" ;;
    --check)
        status=0; "$GAME" --check "$WORK/drive.rec" >"$WORK/out.txt" 2>"$WORK/err.txt" || status=$?
        [ $status = 0 ] && grep -q "drive.rec: ok, " "$WORK/out.txt" && pass "--check: the drive is ok" ||
            fail "--check: status $status, '$(cat "$WORK/out.txt" "$WORK/err.txt")'"
        ;;
    --settings) runs_with "--settings with the game's own settings" --window --settings="$WORK/own.conf" ;;
    --aspect)
        runs_with "--aspect=keep" --window --aspect=keep
        runs_with "--aspect stretch" --window --aspect stretch
        ;;
    *) runs_with "$option" --window "$option" ;;
    esac
done
for option in $x_options; do
    case $option in
    -display) runs_with "-display $DISPLAY" -display "$DISPLAY" ;;
    -geometry) runs_with "-geometry 640x480+10+20" -geometry 640x480+10+20 ;;
    *) runs_with "$option" --window "$option" ;;
    esac
done

# ---- a mistake: one line of the game's own, status 2, and no window (every mistake's line is
# OptionsTest's, with no window)

ends_with "--aspect=wide" 2 "tarvelo: '--aspect' takes stretch or keep, not 'wide' (try 'tarvelo --help')" "$GAME" --aspect=wide
ends_with "-geometry 640x" 2 "tarvelo: '640x' is no window geometry: give WxH, +X+Y or WxH+X+Y with sides of 1 to 32767 pixels (try 'tarvelo --help')" \
    "$GAME" -geometry 640x

# ---- the settings file's window, and the command line over it

echo "window = no" >"$WORK/full.conf"
echo "window = yes" >"$WORK/window.conf"
runs_with "window = no" --settings "$WORK/full.conf"
[ "$WINDOW_GEOMETRY" = "1600x1200+0+0" ] && pass "window = no: the game covers the screen" ||
    fail "window = no gave the window $WINDOW_GEOMETRY"
runs_with "window = no and --window" --settings "$WORK/full.conf" --window
[ "$WINDOW_GEOMETRY" = "1024x768+0+0" ] && pass "--window goes over the file's window = no" ||
    fail "window = no and --window gave the window $WINDOW_GEOMETRY"
runs_with "window = yes" --settings "$WORK/window.conf"
[ "$WINDOW_GEOMETRY" = "1024x768+0+0" ] && pass "window = yes: a 1024 x 768 window" ||
    fail "window = yes gave the window $WINDOW_GEOMETRY"

# ---- geometries that X allows

runs_with "-geometry +100+50, a position alone" -geometry +100+50
[ "$WINDOW_GEOMETRY" = "1024x768+100+50" ] && pass "a position alone places the usual 1024 x 768 window there" ||
    fail "-geometry +100+50 gave the window $WINDOW_GEOMETRY"
runs_with "-geometry 800x600-0-0" -geometry 800x600-0-0
[ "$WINDOW_GEOMETRY" = "800x600+800+600" ] && pass "-0-0 places the window at the bottom right corner" ||
    fail "-geometry 800x600-0-0 gave the window $WINDOW_GEOMETRY"
# Larger than the renderer draws: the window is made as large as it can draw, and played in.
runs_with "-geometry 32767x32767" -geometry 32767x32767
"$GAME" --window >/dev/null 2>&1 &
GAME_PID=$!
for _ in $(seq 200); do [ -n "$(game_window)" ] && break; sleep 0.05; done
xdotool search --name 'TARVELO!' | head -n 1 | xargs -I{} xdotool windowsize {} 32767 32767
sleep 3
kill -0 "$GAME_PID" 2>/dev/null && pass "the window resized to 32767 x 32767 plays on ($(game_window))" ||
    { wait_exit 1; fail "resized to 32767 x 32767, the game ended with status $EXIT_STATUS"; }
kill "$GAME_PID" 2>/dev/null; wait "$GAME_PID" 2>/dev/null; GAME_PID=""

# ---- a server whose last client leaving resets it: the game, its only client, still starts

bare_server 1024x768 --reset
DISPLAY=$BARE_DISPLAY runs_with "on a server that resets when its last client leaves" --window

# ---- no display, closed standard streams, and standard output on a full disk

full="tarvelo: cannot write to standard output: No space left on device"
for asked in --help --print-settings "--check $TESTS/replays/river.rec"; do
    # shellcheck disable=SC2086 # the check's file is a word of its own
    ends_with "$asked into a full disk" 1 "$full" sh -c '"$0" "$@" >/dev/full' "$GAME" $asked
done

ends_with "no DISPLAY" 1 "tarvelo: cannot open a display: DISPLAY is not set" env -u DISPLAY "$GAME"
ends_with "a display that is not there" 1 "tarvelo: cannot open the display ':97'" "$GAME" -display :97
# A missing picture with stderr closed: the error line goes nowhere, and the game still ends.
status=0; (cd "$WORK/empty" && timeout 20 "$GAME" --window --data "$WORK/empty" 2>&-) >/dev/null || status=$?
[ $status = 1 ] && pass "stderr closed, a missing picture: status 1" ||
    fail "stderr closed, a missing picture: status $status (124: it hung)"
"$GAME" --window <&- >&- 2>&- &
GAME_PID=$!
for _ in $(seq 200); do [ -n "$(game_window)" ] && break; sleep 0.05; done
sleep 1
streams=$(readlink /proc/$GAME_PID/fd/0 /proc/$GAME_PID/fd/1 /proc/$GAME_PID/fd/2 | sort -u)
[ "$streams" = /dev/null ] && pass "closed standard streams are reopened on /dev/null, for nothing else to take" ||
    fail "with the standard streams closed, descriptors 0 to 2 are: $(echo $streams)"
xdotool search --name 'TARVELO!' | head -n 1 | xargs -I{} xdotool windowfocus --sync {} key Escape
wait_exit 10 && [ "$EXIT_STATUS" = 0 ] && pass "all three streams closed: the game plays and Escape ends it" ||
    fail "all three streams closed: status '${EXIT_STATUS:-still running}' after Escape"

finish
