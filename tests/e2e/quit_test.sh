#!/usr/bin/env bash
# Leaving the real game: Escape and a press on "Quit" end it at once with status 0; a press just
# below the Quit button does not; started from a folder that lacks one of its ten pictures, the
# game ends with status 1 after a single line on stderr that starts with "tarvelo: ".
source "$(dirname "$0")/e2e_lib.sh"

# expect_exit DESCRIPTION STATUS: the game ends within 5 s with STATUS.
expect_exit()
{
    if ! wait_exit 5; then
        fail "$1: the game is still running"
    elif [ "$EXIT_STATUS" -ne "$2" ]; then
        fail "$1: the game ended with status $EXIT_STATUS, not $2"
    else
        pass "$1: the game ends with status $2"
    fi
}

start_game
keys Escape
expect_exit "Escape" 0

start_game
# The Quit button covers x -47..-33, y 6.5..16.5 of the view: pixels 31..174 across, 257..334
# down. A press a few pixels below it is on the panel, not on the button.
click "$(col -40)" "$(row 5.5)"
sleep 0.5
if kill -0 "$GAME_PID" 2>/dev/null; then pass "a press just below Quit leaves the game running"
else fail "a press just below Quit ended the game"; fi
click "$(col -40)" "$(row 11.5)"
expect_exit "a press on Quit" 0

# Every one of the ten pictures is needed: without Water.bmp the game stops while loading.
MISSING="$WORK/missing"
mkdir "$MISSING"
for f in "$TEXTURES"/*.bmp; do
    [ "$(basename "$f")" = Water.bmp ] || cp "$f" "$MISSING/"
done
bash -c 'cd "$1" && exec "$2" >"$3/stdout.txt" 2>"$3/stderr.txt"' run "$MISSING" "$GAME" "$WORK" &
GAME_PID=$!
expect_exit "without Water.bmp" 1
if [ "$(wc -l <"$WORK/stderr.txt")" -eq 1 ] && grep -q '^tarvelo: ' "$WORK/stderr.txt"; then
    pass "without Water.bmp stderr holds one line: $(cat "$WORK/stderr.txt")"
else
    fail "without Water.bmp stderr is not one line starting with tarvelo: '$(cat "$WORK/stderr.txt")'"
fi
if grep -q "Loading textures" "$WORK/stdout.txt" && ! grep -q "Loading Car objects" "$WORK/stdout.txt"; then
    pass "the game stops while loading the textures, before building the car"
else
    fail "the console does not show the game stopping while loading the textures"
fi

finish
