#!/usr/bin/env bash
# Crashing the real game's car: a hit on the cheap roof block below the start takes a quarter
# point off the damage bar, a hit at full speed on the crate stack in the west about four points;
# further hits wreck the car, which explodes and stands still, under "Press New", also through
# F11 to the window and back, until New's key n brings back a fresh car at the start, exactly as
# the game began.
#
# The route: heading down from the start the car runs into the roof block (x -10..40,
# y -70..-40) and is thrown back to y about -33.5. Heading left from there, in fourth gear, it
# passes above the bricks (whose top is y -40) and runs into the crate stack at x -130..-90,
# y -60..-10, whose hits cost twice the speed plus 0.25.
source "$(dirname "$0")/e2e_lib.sh"

readonly BAR_ROW=$(row -29)           # the middle of the damage bar (y -30..-28)
readonly BAR_LEFT=$(col -47.5) BAR_RIGHT=$(col -32.5)
readonly PIXELS_PER_UNIT=10.24        # across the screen
# The car on screen: its body around the pivot (10, 0), and the area an explosion first fills.
readonly CAR="$(col 5) $(row 5) $(col 15) $(row -5)"
readonly AROUND_CAR="$(col 0) $(row 10) $(col 20) $(row -10)"
# The map left and right of the car, clear of the car, its particles and the dashboard.
readonly MAP_LEFT="$(col -29) 0 $(col -10) 767"
readonly MAP_RIGHT="$(col 30) 0 1023 767"

# The recorder of the car's surroundings, frame by frame (screen_record, beside the probe): its
# pictures hold AROUND_CAR alone, so the rectangles in them are moved by its top-left corner.
readonly RECORDER="$(dirname "$PROBE")/screen_record" RECORDED=$WORK/recorded
read -r AROUND_X0 AROUND_Y0 AROUND_X1 AROUND_Y1 <<<"$AROUND_CAR"
read -r CAR_X0 CAR_Y0 CAR_X1 CAR_Y1 <<<"$CAR"
readonly RECORDED_AROUND="0 0 $((AROUND_X1 - AROUND_X0)) $((AROUND_Y1 - AROUND_Y0))"
readonly RECORDED_CAR="$((CAR_X0 - AROUND_X0)) $((CAR_Y0 - AROUND_Y0)) $((CAR_X1 - AROUND_X0)) $((CAR_Y1 - AROUND_Y0))"

bar_end() { probe barend "$1" "$BAR_ROW" "$BAR_LEFT" "$BAR_RIGHT"; }
# car_red_pixels SHOT [RECTANGLE], fire_pixels SHOT [RECTANGLE]: rectangles of the whole screen
# unless given.
car_red_pixels() { probe count "$1" ${2:-$CAR} 150 255 0 80 0 80; }
fire_pixels() { probe count "$1" ${2:-$AROUND_CAR} 230 255 100 230 0 140; }

# How long poll waits for what the game shows next: a backstop against a hang only, since a busy
# machine draws the game's frames several times slower than an idle one.
readonly BACKSTOP=60

# Predicates for poll.
full_screen_state_gone() { ! full_screen_state; }
full_and_steady() { full_screen_state && steady "$1"; }
bar_shorter_than() { [ "$(bar_end "$1")" -lt "$2" ]; }
bar_empty() { [ "$(bar_end "$1")" -eq -1 ]; }
bar_full() { [ "$(bar_end "$1")" -ge "$FULL_END" ]; }
# on_fire PICTURE AROUND CAR: fire around where the car stood, and no car.
on_fire() { [ "$(fire_pixels "$1" "$2")" -ge 300 ] && [ "$(car_red_pixels "$1" "$3")" -lt 20 ]; }
map_unchanged_since()
{
    [ "$(probe diff "$1" "$2" $MAP_LEFT)" = "0.000" ] && [ "$(probe diff "$1" "$2" $MAP_RIGHT)" = "0.000" ]
}

# loss_in_units BEFORE AFTER: how much shorter the bar has become, in view units (= points).
loss_in_units() { calc "($1 - $2) / $PIXELS_PER_UNIT"; }

start_game
past_the_hint
cp "$(shot start)" "$WORK/start.ppm"
START="$WORK/start.ppm"
FULL_END=$(bar_end "$START")
if [ "$FULL_END" -ge "$(col -33.5)" ] && [ "$FULL_END" -le "$(col -33)" ]; then
    pass "the damage bar starts full, reaching x -33 (pixel $FULL_END)"
else
    fail "the damage bar does not start full (its right end is at pixel $FULL_END)" "$START"
fi
STARTING_RED=$(car_red_pixels "$START")

# "New", and its key n, do nothing while the car is intact.
click "$(col -40)" "$(row 26.5)"
xdotool mousemove 900 100
keys n
sleep 0.3
if map_unchanged_since "$(shot new-on-intact)" "$START" &&
    [ "$(probe diff "$WORK/new-on-intact.ppm" "$START" 0 0 1023 767)" = "0.000" ]; then
    pass "New does nothing while the car is intact"
else
    fail "New changed the screen while the car was intact" "$START" "$WORK/new-on-intact.ppm"
fi

# Down into the roof block, in first gear (0.45): 0.45 x 0.0008 + 0.25 = 0.25 points.
keys Right 16
keys Up 9
if poll $BACKSTOP bar_shorter_than "$FULL_END"; then
    poll $BACKSTOP steady
    END1=$(bar_end "$LAST_SHOT")
    LOSS=$(loss_in_units "$FULL_END" "$END1")
    if holds "$LOSS >= 0.1 && $LOSS <= 0.45"; then
        pass "the car hits the roof block below the start: the bar loses $LOSS (0.25 expected)"
    else
        fail "a hit on the roof block took $LOSS off the bar, not 0.25" "$LAST_SHOT"
    fi
else
    fail "driving down into the roof block did not shorten the damage bar" "$LAST_SHOT"
    finish
fi

# Left in fourth gear at full speed into the crate stack: 2 x 1.95 + 0.25 = 4.15 points (4.25
# if the fortieth press left the speed at 2.0).
keys Right 8
keys 4
keys Up 40
if poll $BACKSTOP bar_shorter_than $((END1 - 20)); then
    poll $BACKSTOP steady
    END2=$(bar_end "$LAST_SHOT")
    LOSS=$(loss_in_units "$END1" "$END2")
    if holds "$LOSS >= 3.9 && $LOSS <= 4.5"; then
        pass "the car hits the crate stack at full speed: the bar loses $LOSS (4.15 expected)"
    else
        fail "a full-speed hit on the crate stack took $LOSS off the bar, not 4.15" "$LAST_SHOT"
    fi
else
    fail "a full-speed hit on the crate stack did not shorten the bar by 2 points" "$LAST_SHOT"
    finish
fi

# Again and again into the crates until the bar is empty. The explosion's core is fire (red 1,
# green 0.3..1, blue 0.3) under a pale smoke ring; a crash burst has no orange in it, and neither
# has the car. It burns for only 50 frames, less than a few screenshots take on a busy machine,
# and it may begin and end while the keys are still being pressed: so the car's surroundings are
# recorded frame by frame through each burst of crashes, and the recording of the burst that
# wrecks the car is looked through for the fire once it has burned out.
start_recording()
{
    rm -rf "$RECORDED"
    mkdir -p "$RECORDED"
    "$RECORDER" "$RECORDED" $AROUND_CAR &
    RECORDER_PID=$!
    until [ -e "$RECORDED/000000.ppm" ]; do  # its first picture: the recording has begun
        kill -0 "$RECORDER_PID" 2>/dev/null || { fail "the screen recorder did not start"; finish; }
        sleep 0.02
    done
}
stop_recording() { kill "$RECORDER_PID" && wait "$RECORDER_PID" 2>/dev/null; }
destroyed=no
for burst in $(seq 15); do
    start_recording
    keys Up 40
    # This burst's hit, if it wrecks the car; one that comes later is seen after the next burst.
    if poll 2 bar_empty; then destroyed=yes; break; fi
    stop_recording
done
if [ $destroyed = yes ]; then
    pass "after $((burst + 2)) crashes in all the damage bar is empty"
else
    fail "the car was not wrecked after 15 bursts of crashes" "$LAST_SHOT"
    finish
fi

# Once the fire is out the screen stands still, and the recording holds the whole fire: the
# last pictures recorded are its end, where it burns widest.
poll $BACKSTOP steady
settled=$?
stop_recording
FIRE_SHOT=""
recorded=("$RECORDED"/*.ppm)
for ((i = ${#recorded[@]} - 1; i >= 0; i--)); do
    if on_fire "${recorded[i]}" "$RECORDED_AROUND" "$RECORDED_CAR"; then
        FIRE_SHOT=${recorded[i]}
        break
    fi
done
if [ -n "$FIRE_SHOT" ]; then
    pass "the car explodes: $(fire_pixels "$FIRE_SHOT" "$RECORDED_AROUND") fire-coloured pixels where it stood"
else
    fail "no explosion where the car stood, in ${#recorded[@]} pictures of it" "$LAST_SHOT" \
        "${recorded[@]: -1}"
fi

# Once the fire is out the wreck stays: no car is drawn, and up no longer moves anything.
if [ $settled = 0 ]; then
    WRECK="$WORK/wreck.ppm"
    cp "$LAST_SHOT" "$WRECK"
    if [ "$(car_red_pixels "$WRECK")" -lt 20 ]; then
        pass "after the explosion no car is drawn (car-red pixels: $STARTING_RED at the start, now $(car_red_pixels "$WRECK"))"
    else
        fail "a car is still drawn after the explosion" "$WRECK"
    fi
    keys Up 20
    sleep 0.5
    if map_unchanged_since "$(shot pressed-up)" "$WRECK"; then pass "the wreck does not move when up is pressed"
    else fail "the map moved under the wreck" "$WRECK" "$WORK/pressed-up.ppm"; fi
    # F11 to the window and back: the wreck as it was.
    keys F11
    poll $BACKSTOP full_screen_state_gone
    keys F11
    if poll $BACKSTOP full_and_steady && same_screen "$LAST_SHOT" "$WRECK"; then
        pass "F11 twice: full screen again with the wreck as it was"
    else
        fail "F11 twice did not bring back the wreck's full-screen picture" "$WRECK" "$LAST_SHOT"
    fi
else
    fail "the screen did not settle after the explosion" "$LAST_SHOT"
fi

# The wreck asks for New: a black box with white letters below it, over the map.
PRESS_NEW=$(probe pixel "${WRECK:-$LAST_SHOT}" "$(col 0)" "$(row -18)")
if colour_near "$PRESS_NEW" 0 0 0 0; then pass "Press New is shown over the map of the wreck"
else fail "no Press New box over the wreck's map (saw $PRESS_NEW)" "${WRECK:-$LAST_SHOT}"; fi

# n, the key of New: a fresh car at the start, heading up, in first gear, with a full bar: the
# screen is the one the game started with.
keys n
if poll $BACKSTOP bar_full && poll $BACKSTOP steady; then
    DIFF=$(probe diff "$LAST_SHOT" "$START" 0 0 1023 767)
    if holds "$DIFF < 0.05"; then
        pass "New brings back a fresh car: the screen is the start screen again (mean difference $DIFF)"
    else
        fail "after New the screen differs from the start screen (mean difference $DIFF)" "$START" "$LAST_SHOT"
    fi
else
    fail "New did not bring back a car with a full damage bar" "$LAST_SHOT"
fi

keys Escape
wait_exit 5
finish
