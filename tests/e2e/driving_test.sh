#!/usr/bin/env bash
# Driving the real game with the arrow keys: the map scrolls under the car (down the screen while
# the car heads up, to the left while it heads right), the speedometer and rev-meter needles turn
# with the speed, and braking brings the car and the needles back to rest. The start's hint stays
# until the first key that plays.
source "$(dirname "$0")/e2e_lib.sh"

# The map strip left of the car (right of the dashboard) and the band above the car: neither
# holds the car, its beams, its exhaust or the dashboard.
MAP_LEFT_OF_CAR="$(col -28) 40 $(col 0) 727"
MAP_ABOVE_CAR="$(col -28) $(row 45) 1019 $(row 15)"

# speedometer_at SHOT DEGREES: the speedometer needle (6 units long from its hub at (-33, -45),
# pointing left at rest and turning clockwise) lies at DEGREES: dark pixels along it, and panel
# grey where it lies at rest (unless DEGREES is 0).
speedometer_at()
{
    local shot=$1 angle=$2 d x y
    for d in 2.5 3.5 4.5 5.5; do
        x=$(col "-33 - $d * cos($angle * 3.14159265 / 180)")
        y=$(row "-45 + $d * sin($angle * 3.14159265 / 180)")
        [ "$(probe darkest "$shot" "$x" "$y")" -lt 90 ] || return 1
        if [ "$angle" != 0 ]; then
            colour_near "$(probe pixel "$shot" "$(col "-33 - $d")" "$(row -45)")" 192 192 192 12 || return 1
        fi
    done
}

# rev_meter_red_and_up SHOT: the rev-meter needle (hub at (-41, -45)) points straight up and is
# red, as at a gear's top speed.
rev_meter_red_and_up()
{
    local d r g b
    for d in 2.5 3.5 4.5 5.5; do
        read -r r g b <<<"$(probe pixel "$1" "$(col -41)" "$(row "-45 + $d")")"
        [ "$r" -gt 150 ] && [ "$g" -lt 80 ] && [ "$b" -lt 80 ] || return 1
    done
}

# scrolled SHOT AXIS RECT RANGE MIN_PIXELS: compared with the screenshot $REFERENCE, the map in
# RECT has slid along AXIS (vshift: down is positive, hshift: right is positive; searched within
# +-RANGE pixels) by at least MIN_PIXELS, or by at most MIN_PIXELS when that is negative, and
# matches well there.
scrolled()
{
    local shot=$1 axis=$2 rect=$3 range=$4 least=$5 shift error error0
    read -r shift error error0 <<<"$(probe "$axis" "$REFERENCE" "$shot" $rect "$range")"
    LAST_SHIFT=$shift
    holds "$error < 6 && $error < $error0 / 3" || return 1
    if [ "$least" -ge 0 ]; then [ "$shift" -ge "$least" ]; else [ "$shift" -le "$least" ]; fi
}

# reference SHOT: keeps a copy of SHOT as the screenshot that scrolled() compares with.
reference() { cp "$1" "$WORK/reference.ppm"; REFERENCE="$WORK/reference.ppm"; }

start_game
START=$(shot start)

if speedometer_at "$START" 0; then pass "at rest the speedometer needle points left"
else fail "at rest the speedometer needle does not point left" "$START"; fi
if hint_shown "$START"; then pass "the start's hint stands at the bottom right before the first key"
else fail "no hint at the start" "$START"; fi

# Eight presses of right turn the car a quarter turn (11.25 degrees each), towards the open
# ground right of the start. First gear tops out at 0.45 after nine presses of up: the
# speedometer shows 0.45 / 2.0 of its quarter turn, 20.25 degrees; the rev meter would pass
# 90 degrees, so it stops just short of it and turns red.
keys Right 8
keys Up 9
if poll 5 speedometer_at 20.25; then
    pass "nine presses of up in first gear turn the speedometer needle to 20.25 degrees"
    if rev_meter_red_and_up "$LAST_SHOT"; then pass "the rev-meter needle stands up and shows red"
    else fail "the rev-meter needle is not up and red at first gear's top speed" "$LAST_SHOT"; fi
else
    fail "the speedometer needle did not turn to 20.25 degrees" "$LAST_SHOT"
fi
if poll 5 hint_gone; then pass "once the car is driven, the start's hint is gone"
else fail "the start's hint stayed while the car was driven" "$LAST_SHOT"; fi

# For the map's slide the car stops (six presses of down, 0.09 each) and crawls off at one step
# of up, 0.05 a frame, half a pixel across: the slide stays well under half the ground texture's
# repeat (28 units: 287 pixels across, 215 down) for seconds after it passes 40 pixels, however
# slow the screenshots of a loaded machine, and the best match is the true slide.
keys Down 6
keys Up
reference "$(shot slower)"
if poll 10 scrolled hshift "$MAP_ABOVE_CAR" 140 -40; then
    pass "heading right, the map slides left under the car ($LAST_SHIFT pixels)"
else
    fail "the map did not slide left while the car drove right (best shift $LAST_SHIFT)" "$REFERENCE" "$LAST_SHOT"
fi

# Turned back up on the move, the car drives up the screen and the map slides down.
keys Left 8
reference "$(shot turned)"
if poll 10 scrolled vshift "$MAP_LEFT_OF_CAR" 100 40; then
    pass "heading up, the map slides down under the car ($LAST_SHIFT pixels)"
else
    fail "the map did not slide down while the car drove up (best shift $LAST_SHIFT)" "$REFERENCE" "$LAST_SHOT"
fi

# One press of down stops the crawling car.
keys Down
if poll 5 steady && speedometer_at "$LAST_SHOT" 0; then
    pass "a press of down stops the crawling car: the screen stands still, the needle is back at rest"
else
    fail "the car did not come to rest after braking" "$LAST_SHOT"
fi
if [ "$(probe diff "$START" "$LAST_SHOT" 0 0 "$(col -31)" "$(row 0)")" = "0.000" ]; then
    pass "the dashboard's logo and buttons stayed where they were"
else
    fail "the dashboard's upper half moved or changed while driving" "$START" "$LAST_SHOT"
fi

keys Escape
wait_exit 5
finish
