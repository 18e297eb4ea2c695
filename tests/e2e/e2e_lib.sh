# Shared helpers of the end-to-end tests: start the real game on the X server in DISPLAY, press
# its keys and buttons through real X input (xdotool), and read real screenshots of the whole
# screen (ImageMagick's import) through screen_probe. Sourced by the test scripts, which are run
# as:  bash TEST.sh GAME_BINARY SCREEN_PROBE PICTURE_FOLDER
#
# Screen positions: the game stretches its view (-50..50 on both axes, y up) over the whole
# 1024 x 768 screen, so view x maps to pixel column (x + 50) / 100 * 1024 and view y to pixel
# row (50 - y) / 100 * 768 from the top.

set -u

GAME=$(readlink -f "$1")
PROBE=$(readlink -f "$2")
TEXTURES=$(readlink -f "${3:-$PWD}")
TEST_NAME=$(basename "$0" .sh)
TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)  # the tests' folder
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarvelo-$TEST_NAME.XXXXXX")
# Screenshots of failed checks are kept here (as PNG) for a look afterwards.
KEEP=${TARVELO_E2E_KEEP:-$WORK/../tarvelo-e2e-shots}
GAME_PID=""
SERVER_FOLDERS=()  # X servers of the test's own, stopped when it ends
FAILURES=0
SHOT_NUMBER=0

readonly SCREEN_WIDTH=1024 SCREEN_HEIGHT=768
# The game's own settings, whatever settings file the machine's user has, and no best lap of
# theirs read or replaced.
export XDG_CONFIG_HOME=$WORK/no-settings XDG_DATA_HOME=$WORK/no-best-lap
: "${TARVELO_VERSION:?the version the game was built as (CTest gives it)}"

cleanup()
{
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
    fi
    local server
    for server in "${SERVER_FOLDERS[@]}"; do bash "$TESTS/xserver.sh" stop "$server"; done
    rm -rf "$WORK"
}
trap cleanup EXIT

for tool in xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no X server (run it through ctest, or under tools/on_xvfb.sh)"; exit 1; }
[ -x "$GAME" ] && [ -x "$PROBE" ] || { echo "FAIL: usage: $0 GAME_BINARY SCREEN_PROBE"; exit 1; }

# ---- X servers of the test's own

# bare_server WIDTHxHEIGHT [--reset]: starts a virtual X server of that size with no window
# manager (tests/xserver.sh), stopped when the test ends, and puts its display (":N") in
# BARE_DISPLAY. With --reset it resets when its last client leaves, as xinit's does.
bare_server()
{
    local folder="$WORK/server.${#SERVER_FOLDERS[@]}"
    SERVER_FOLDERS+=("$folder")
    bash "$TESTS/xserver.sh" start "$folder" --bare --size "$@" >/dev/null
    [ -s "$folder/display" ] || { echo "FAIL: the bare X server did not start"; exit 1; }
    BARE_DISPLAY=$(cat "$folder/display")
}

# ---- screen positions ------------------------------------------------------------------------

# Pixel column of view x, pixel row of view y (the pixel whose area holds the view point); x and
# y may be arithmetic expressions such as "-33 - 2.5 * cos(0.3)".
col() { awk "BEGIN { printf \"%d\", (($1) + 50) / 100 * $SCREEN_WIDTH }"; }
row() { awk "BEGIN { printf \"%d\", (50 - ($1)) / 100 * $SCREEN_HEIGHT }"; }

# ---- screenshots -----------------------------------------------------------------------------

# Takes a screenshot of the whole screen into $WORK/NAME.ppm and prints its path.
shot()
{
    local file="$WORK/$1.ppm"
    import -window root -depth 8 "ppm:$file" || { echo "FAIL: import could not read the screen" >&2; return 1; }
    echo "$file"
}

probe() { "$PROBE" "$@"; }

# Keeps a screenshot as PNG in $KEEP under a numbered name, for a look at a failed check.
keep()
{
    mkdir -p "$KEEP"
    SHOT_NUMBER=$((SHOT_NUMBER + 1))
    local name="$KEEP/$TEST_NAME-$SHOT_NUMBER-$2.png"
    convert "$1" "$name" 2>/dev/null && echo "  (screenshot kept: $name)"
}

# ---- checks ----------------------------------------------------------------------------------

pass() { echo "ok: $*"; }

# fail MESSAGE [SHOT...]: records a failed check and keeps the screenshots that show it.
fail()
{
    echo "FAIL: $1"
    FAILURES=$((FAILURES + 1))
    shift
    local s
    for s in "$@"; do keep "$s" failed; done
}

# True when every channel of "R G B" (first three words) lies within TOL of R2 G2 B2.
colour_near()
{
    local r g b
    read -r r g b <<<"$1"
    awk -v r="$r" -v g="$g" -v b="$b" -v R="$2" -v G="$3" -v B="$4" -v t="$5" \
        'BEGIN { d = r - R; e = g - G; f = b - B;
                 exit !((d < 0 ? -d : d) <= t && (e < 0 ? -e : e) <= t && (f < 0 ? -f : f) <= t) }'
}

brightness() { local r g b; read -r r g b <<<"$1"; echo $(((r + g + b) / 3)); }

# Arithmetic on decimals: `calc EXPRESSION` prints the result, `holds CONDITION` tests it.
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
holds() { awk "BEGIN { exit !($1) }"; }

finish()
{
    if [ "$FAILURES" -eq 0 ]; then
        echo "$TEST_NAME passed"
        exit 0
    fi
    echo "$TEST_NAME: $FAILURES check(s) failed"
    exit 1
}

# ---- waiting on the screen -------------------------------------------------------------------

# poll TIMEOUT_SECONDS PREDICATE [ARGS...]: takes screenshots until PREDICATE (given the shot's
# path and ARGS) succeeds; LAST_SHOT holds the last screenshot. Fails after the timeout.
LAST_SHOT=""
poll()
{
    local timeout=$1 predicate=$2
    shift 2
    local deadline
    deadline=$(awk -v now="$(date +%s%3N)" -v t="$timeout" 'BEGIN { printf "%.0f", now + t * 1000 }')
    while :; do
        LAST_SHOT=$(shot poll) || return 1
        "$predicate" "$LAST_SHOT" "$@" && return 0
        [ "$(date +%s%3N)" -lt "$deadline" ] || return 1
    done
}

# True when two screenshots (or pictures of the same size) are the same, pixel for pixel.
same_screen() { [ "$(probe diff "$1" "$2")" = "0.000" ]; }

# Predicate: the screen shows no change between two screenshots taken a few frames apart
# (the car stands still and nothing animates).
steady()
{
    cp "$1" "$WORK/steady-before.ppm"
    sleep 0.1
    local after
    after=$(shot steady-after) || return 1
    same_screen "$WORK/steady-before.ppm" "$after"
}

# ---- the game --------------------------------------------------------------------------------

# The dashboard panel is light grey (192, 192, 192); its top-left corner and the map's far
# bottom-right corner (not black once the game has drawn into the full-screen window) tell that
# the first full-screen frame is up. PICTURE_LEFT, PICTURE_WIDTH and PICTURE_HEIGHT: where the
# picture lies on another screen, from the top left.
game_on_screen()
{
    local left=${PICTURE_LEFT:-0} width=${PICTURE_WIDTH:-1024} height=${PICTURE_HEIGHT:-768}
    colour_near "$(probe pixel "$1" $((left + 4)) 4)" 192 192 192 6 &&
        colour_near "$(probe pixel "$1" $((left + 4)) $((height - 5)))" 192 192 192 6 &&
        ! colour_near "$(probe pixel "$1" $((left + width - 4)) $((height - 4)))" 0 0 0 2
}

# launch FOLDER COMMAND...: starts the command (the game, or what starts it) from FOLDER, its
# output in $WORK/stdout.txt and $WORK/stderr.txt, and waits up to ten seconds for the game's
# window: WINDOW, empty when none came (the game may have ended).
launch()
{
    local folder=$1 i
    shift
    (cd "$folder" && exec "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt") &
    GAME_PID=$!
    WINDOW=""
    for i in $(seq 200); do
        WINDOW=$(xdotool search --name 'TARVELO!' 2>/dev/null | head -n 1)
        [ -n "$WINDOW" ] && break
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.05
    done
}

# Whether SHOT shows the start's hint ("F1: controls" on black) at the picture's bottom right,
# view x 20..46, y -48..-40, which stays until the player's first command.
hint_shown()
{
    local magic width height
    { read -r magic; read -r width height; } <"$1"
    local left=${PICTURE_LEFT:-0}
    width=${PICTURE_WIDTH:-$((width - 2 * left))} height=${PICTURE_HEIGHT:-$height}
    colour_near "$(probe pixel "$1" $((left + width * 70 / 100 + 4)) $((height * 94 / 100)))" 0 0 0 2
}
hint_gone() { ! hint_shown "$1"; }

# start_game [FOLDER [OPTION...]]: starts the game from FOLDER (default: the pictures' folder)
# with the options given, waits for its full-screen window, gives it the keyboard focus and waits
# until its first frames stand still (the hint of the start stands until the player plays).
start_game()
{
    local folder=${1:-$TEXTURES}
    shift || true
    launch "$folder" "$GAME" "$@"
    if [ -z "$WINDOW" ]; then
        echo "FAIL: the game's window did not appear"; cat "$WORK/stderr.txt"; exit 1
    fi
    xdotool windowactivate --sync "$WINDOW" 2>/dev/null || xdotool windowfocus --sync "$WINDOW"
    if ! poll 20 game_on_screen; then
        kill -0 "$GAME_PID" 2>/dev/null || echo "the game has ended; its error output:"
        cat "$WORK/stderr.txt"
        fail "the game did not fill the screen with its first frame" "$LAST_SHOT"; finish
    fi
    if ! poll 40 steady; then
        fail "the game's start screen did not settle" "$LAST_SHOT"; finish
    fi
    # Park the pointer on the map, away from the buttons and the car.
    xdotool mousemove 900 100
}

# past_the_hint: a press of 1, the gear the car starts in, is the player's first command and
# changes nothing else: the start's hint goes, and the screen stands still again.
past_the_hint()
{
    keys 1
    if ! poll 10 hint_gone || ! poll 10 steady; then
        fail "the start's hint did not go after the first key" "$LAST_SHOT"; finish
    fi
}

# reference_start_screen: the start screen of the game built in the tree, from its pictures
# folder, kept in $WORK/reference.ppm; the game is then left.
reference_start_screen()
{
    start_game
    cp "$LAST_SHOT" "$WORK/reference.ppm"
    keys Escape
    wait_exit 5
}

# Whether the window manager holds the game's window full screen.
full_screen_state() { xprop -id "$WINDOW" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN; }

# keys KEY COUNT: COUNT presses of KEY (an X key name: Up, Down, Left, Right, l, 4, ...).
keys()
{
    local key=$1 count=${2:-1} list=() i
    for ((i = 0; i < count; i++)); do list+=("$key"); done
    xdotool key --clearmodifiers --delay 8 "${list[@]}"
}

# click X Y: a left press and release at screen pixel (X, Y).
click() { xdotool mousemove --sync "$1" "$2" click 1; }

# wait_exit TIMEOUT: waits for the game to end; sets EXIT_STATUS (empty if it is still running).
wait_exit()
{
    local i
    EXIT_STATUS=""
    for ((i = 0; i < $1 * 20; i++)); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID"
            EXIT_STATUS=$?
            GAME_PID=""
            return 0
        fi
        sleep 0.05
    done
    return 1
}
