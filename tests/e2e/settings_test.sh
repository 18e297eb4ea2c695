#!/usr/bin/env bash
# The player's settings file in the real game: the usual file is found through XDG_CONFIG_HOME,
# else HOME; the lines the game cannot use are warnings naming the file and the line, and the
# game still starts and plays, with the player's good lines; a rebound accelerate key and a keypad
# key drive the car through real X input. (Each kind of line and of file, the game's own settings
# and every name of the manual page are SettingsTest's, with no window.)
source "$(dirname "$0")/e2e_lib.sh"
unset XDG_CONFIG_HOME

# plays_with DESCRIPTION COMMAND...: the game, started by the command (in a window), opens its
# window and plays on until it is stopped; its error output is in $WORK/stderr.txt.
plays_with()
{
    local description=$1
    shift
    launch "$TEXTURES" "$@" --window
    sleep 0.5
    if [ -n "$WINDOW" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        pass "$description: the game plays"
    else
        fail "$description: the game did not start; stderr '$(cat "$WORK/stderr.txt")'"
    fi
    kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=""
}

# warned COUNT PATTERN...: the error output holds exactly COUNT warnings about settings, and a
# line for each extended regular expression.
warned()
{
    local count=$1 pattern seen
    shift
    seen=$(grep -c 'settings' "$WORK/stderr.txt")
    [ "$seen" = "$count" ] && pass "$count warning(s)" ||
        fail "$seen warnings instead of $count: $(cat "$WORK/stderr.txt")"
    for pattern in "$@"; do
        grep -qE -- "$pattern" "$WORK/stderr.txt" && pass "warned: $(grep -E -- "$pattern" "$WORK/stderr.txt" | head -n 1)" ||
            fail "no warning matching '$pattern' in: $(cat "$WORK/stderr.txt")"
    done
}

# ---- a file with every kind of bad line, found through XDG_CONFIG_HOME

mkdir -p "$WORK/config/tarvelo"
FILE=$WORK/config/tarvelo/settings.conf
{
    echo "# the player's own keys"
    echo "key.jump = space"
    echo "dead_zone = 150"
    echo "key.brake = l"
    echo "key.reverse = $(printf 'x%.0s' $(seq 300))"
    echo "key.lights = Escape"
    echo "mute = perhaps"
    echo "just some words"
    printf 'key.pause = \033[31mp\n'
    echo "key.accelerate = w KP_8   # Up is free"
    echo "pad.lights = a"
    echo "pad.new_car = leftstick elbow"
} >"$FILE"
export XDG_CONFIG_HOME=$WORK/config
plays_with "every kind of bad line" "$GAME"
F=$(printf '%s' "$FILE" | sed 's/[.[\*^$/]/\\&/g')
warned 10 "^tarvelo: $F:2: 'key.jump' is no setting" "^tarvelo: $F:12: 'elbow' is no pad button"

# The same file's good line in play: w and the keypad's 8 accelerate, Up no longer; Escape quits.
speedometer_at()
{
    local shot=$1 angle=$2 d
    for d in 2.5 3.5 4.5 5.5; do
        [ "$(probe darkest "$shot" "$(col "-33 - $d * cos($angle * 3.14159265 / 180)")" \
            "$(row "-45 + $d * sin($angle * 3.14159265 / 180)")")" -lt 90 ] || return 1
    done
}
start_game
keys Up 9
sleep 0.5
speedometer_at "$(shot after-up)" 0 && pass "Up, rebound away, leaves the car standing" ||
    fail "Up still accelerates" "$(shot after-up)"
keys w 5
keys KP_8 4
poll 5 speedometer_at 20.25 && pass "five presses of w and four of the keypad's 8 accelerate the car to first gear's top" ||
    fail "w and KP_8 did not accelerate the car to 0.45" "$LAST_SHOT"
keys Escape
wait_exit 5 && [ "$EXIT_STATUS" = 0 ] && pass "Escape still quits" || fail "Escape did not end the game"

# ---- the usual file through HOME, one that cannot be settings

mkdir -p "$WORK/home/.config/tarvelo"
head -c 3000 "$TEXTURES/Car.bmp" >"$WORK/home/.config/tarvelo/settings.conf"
unset XDG_CONFIG_HOME
plays_with "a binary file in ~/.config" env HOME="$WORK/home" "$GAME"
warned 1 "^tarvelo: $WORK/home/.config/tarvelo/settings.conf:1: a NUL byte: this is no text file"

# ---- no file is no warning

plays_with "no settings file" env HOME="$WORK/nobody" "$GAME"
warned 0

finish
