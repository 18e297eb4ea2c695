#!/usr/bin/env bash
# The player's settings file in the real game: each kind of line the game cannot use is one
# warning naming the file and the line, and the game still starts and plays, with the player's
# good lines; a file that cannot be settings is one warning; the usual file is found through
# XDG_CONFIG_HOME, else HOME; every key and pad name of the manual page is read without a word;
# and a rebound accelerate key and a keypad key drive the car through real X input.
source "$(dirname "$0")/e2e_lib.sh"
MANUAL=$(dirname "$0")/../../dist/tarvelo.6
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
warned 10 "^tarvelo: $F:2: 'key.jump' is no setting" "^tarvelo: $F:3: dead_zone is a whole number of percent from 5 to 90, not '150'" \
    "^tarvelo: $F:4: l is already the key of key.lights \(by default\); key.brake keeps the game's own: Down" \
    "^tarvelo: $F:5: longer than 256 characters" "^tarvelo: $F:6: Escape always quits" "^tarvelo: $F:7: mute is yes or no" \
    "^tarvelo: $F:8: 'just some words' is no 'name = value' line" "^tarvelo: $F:9: a control character" \
    "^tarvelo: $F:11: a is already the pad input of pad.accelerate" "^tarvelo: $F:12: 'elbow' is no pad button"

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

# ---- files that cannot be settings, and the usual file through HOME

mkdir -p "$WORK/home/.config/tarvelo"
head -c 3000 "$TEXTURES/Car.bmp" >"$WORK/home/.config/tarvelo/settings.conf"
unset XDG_CONFIG_HOME
plays_with "a binary file in ~/.config" env HOME="$WORK/home" "$GAME"
warned 1 "^tarvelo: $WORK/home/.config/tarvelo/settings.conf:1: a NUL byte: this is no text file"
plays_with "a folder" "$GAME" --settings "$WORK/home"
warned 1 "^tarvelo: the settings file $WORK/home is a folder; the game's own settings are used"
plays_with "a missing file" "$GAME" --settings "$WORK/none.conf"
warned 1 "^tarvelo: the settings file $WORK/none.conf cannot be read: No such file or directory"
mkfifo "$WORK/pipe"
plays_with "a named pipe" "$GAME" --settings "$WORK/pipe"
warned 1 "^tarvelo: the settings file $WORK/pipe is no plain file"
for i in $(seq 3000); do echo "# a comment line that only makes the file larger: $i"; done >"$WORK/large.conf"
plays_with "a file of 150 KiB" "$GAME" --settings "$WORK/large.conf"
warned 1 "^tarvelo: the settings file $WORK/large.conf is larger than 64 KiB"

# ---- no file is no warning; the game's own settings, and every name of the manual page, read back

plays_with "no settings file" env HOME="$WORK/nobody" "$GAME"
warned 0
"$GAME" --print-settings >"$WORK/own.conf"
plays_with "the game's own settings" "$GAME" --settings "$WORK/own.conf"
warned 0
# The words below each tag of the manual page's lists of names.
names_between()
{
    sed -n "/$1/,/$2/p" "$MANUAL" | awk '/^\.TP/ { tag = 1; list = 1; next } /^\./ { list = 0; next } tag { tag = 0; next } list { print }' |
        sed 's/\\-/-/g' | tr ' ' '\n' | grep -v '^$'
}
keys_named=$(names_between 'every name below a tag, from here to the pad' '^\.SS Pad inputs' | grep -vx Escape)
pads_named=$(names_between 'every name below a tag, from here to the environment' '^\.SH ENVIRONMENT')
{
    for name in $keys_named; do echo "key.lights = $name"; done
    echo "key.lights = l"
    for name in $pads_named; do echo "pad.lights = $name"; done
    echo "pad.lights = y"
} >"$WORK/names.conf"
[ "$(echo $keys_named | wc -w)" -ge 120 ] && [ "$(echo $pads_named | wc -w)" -eq 31 ] ||
    fail "too few names read from the manual page: $(echo $keys_named | wc -w) keys, $(echo $pads_named | wc -w) pad inputs"
plays_with "every name of the manual page ($(echo $keys_named | wc -w) keys, $(echo $pads_named | wc -w) pad inputs)" \
    "$GAME" --settings "$WORK/names.conf"
warned 0

finish
