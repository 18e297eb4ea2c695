#!/usr/bin/env bash
# The headlights of the real game: the `l` key switches the two beams in front of the car off and
# on again, so does an upper-case L, and nothing else on the screen changes with them.
source "$(dirname "$0")/e2e_lib.sh"

# A patch inside each beam, a little ahead of the car's front (y 5): the left beam spreads from
# its lamp at (8.5, 3.2) to x 7.5..9.8 at y 13, the right one mirrors it about x = 10.
LEFT_BEAM="$(col 8.3) $(row 7.5) $(col 8.9) $(row 6.5)"
RIGHT_BEAM="$(col 11.1) $(row 7.5) $(col 11.7) $(row 6.5)"
# Everything but the car's surroundings (x 0..20, y -10..15 in the view).
LEFT_OF_CAR="0 0 $(col 0) 767"
RIGHT_OF_CAR="$(col 20) 0 1023 767"

beam_brightness() { brightness "$(probe mean "$1" $2)"; }

# beams_dimmer_than SHOT REFERENCE: both beam patches of SHOT are at least 12 levels darker than
# in REFERENCE (the beams add up to 40 % white over the ground).
beams_dimmer_than()
{
    [ $(($(beam_brightness "$2" "$LEFT_BEAM") - $(beam_brightness "$1" "$LEFT_BEAM"))) -ge 12 ] &&
        [ $(($(beam_brightness "$2" "$RIGHT_BEAM") - $(beam_brightness "$1" "$RIGHT_BEAM"))) -ge 12 ]
}

# same_beams SHOT REFERENCE: both beam patches look exactly as in REFERENCE.
same_beams()
{
    [ "$(probe diff "$1" "$2" $LEFT_BEAM)" = "0.000" ] && [ "$(probe diff "$1" "$2" $RIGHT_BEAM)" = "0.000" ]
}

# Nothing else on the screen differs from REFERENCE.
rest_unchanged()
{
    [ "$(probe diff "$1" "$2" $LEFT_OF_CAR)" = "0.000" ] && [ "$(probe diff "$1" "$2" $RIGHT_OF_CAR)" = "0.000" ]
}

start_game
past_the_hint
cp "$(shot lights-on)" "$WORK/on.ppm"
ON="$WORK/on.ppm"

keys l
if poll 5 beams_dimmer_than "$ON"; then
    pass "l switches the headlights off: both beams go dark" \
        "($(beam_brightness "$ON" "$LEFT_BEAM") -> $(beam_brightness "$LAST_SHOT" "$LEFT_BEAM"))"
else
    fail "the beams did not go dark after l" "$ON" "$LAST_SHOT"
fi
cp "$LAST_SHOT" "$WORK/off.ppm"
OFF="$WORK/off.ppm"
if rest_unchanged "$OFF" "$ON"; then pass "the rest of the screen is untouched by the lights"
else fail "switching the lights changed more than the beams" "$ON" "$OFF"; fi

# Upper case L (Shift held, or Caps Lock on) is the light switch too.
xdotool key L
if poll 5 same_beams "$ON"; then pass "L (upper case) switches the headlights back on: the beams are as at the start"
else fail "the beams did not come back after L" "$ON" "$LAST_SHOT"; fi

keys l
if poll 5 same_beams "$OFF"; then pass "l again switches them off"
else fail "the beams did not go dark after a second l" "$OFF" "$LAST_SHOT"; fi

keys Escape
wait_exit 5
finish
