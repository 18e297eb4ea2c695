#!/usr/bin/env bash
# Recorded drives with the real game: a drive recorded by hand through real X input checks ok,
# replays to the same picture with REPLAY over the map, ignores the player's driving meanwhile
# and hands the car over at its end; a one-byte change is caught at its checkpoint; a killed
# game leaves whole seconds; a terminated one finishes its file; hostile files are one line and
# status 1; and a recording writes only the file it is given.
source "$(dirname "$0")/e2e_lib.sh"

DRIVE=$WORK/drive.rec
CHECK=("$GAME" --data "$TEXTURES" --check)

# The bytes of a file as decimal numbers, one a line.
bytes_of() { od -An -v -tu1 "$1" | tr -s ' ' '\n' | grep -v '^$'; }

# records FILE: "OFFSET CODE" of each record after the header, walked as the format gives
# them; a checkpoint's line adds its frame count.
records()
{
    local b i n
    mapfile -t b < <(bytes_of "$1")
    n=${#b[@]}
    i=10
    i=$((i + 1 + b[i]))  # the game's version
    i=$((i + 8))         # the pictures' digest
    i=$((i + 1 + b[i]))  # the renderer
    i=$((i + 1 + b[i]))  # its version
    while [ $i -lt $n ]; do
        case ${b[i]} in
        48)
            echo "$i 48 $((b[i + 1] + 256 * b[i + 2] + 65536 * b[i + 3]))"
            i=$((i + 25))
            ;;
        49) echo "$i 49"; i=$((i + 13)) ;;
        *) echo "$i ${b[i]}"; i=$((i + 1)) ;;
        esac
    done
}
checkpoints() { records "$1" | awk '$2 == 48 { print $1, $3 }'; }

# set_byte FILE OFFSET VALUE: a copy's byte changed in place.
set_byte() { printf "$(printf '\\%03o' "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# check_says DESCRIPTION EXPECTED_STATUS EXPECTED_LINE FILE...: `tarvelo --check` gives exactly
# that line (on stdout, or stderr for a refusal) and status.
check_says()
{
    local description=$1 expected=$2 line=$3 status=0
    shift 3
    timeout 60 "${CHECK[@]}" "$@" >"$WORK/check.out" 2>"$WORK/check.err" || status=$?
    local said
    said=$(grep -v '^$\| Loading\| Initialising\| Please wait\|TARVELO! a' "$WORK/check.out" "$WORK/check.err" -h)
    if [ "$status" = "$expected" ] && [ "$said" = "$line" ]; then
        pass "$description: '$line', status $status"
    else
        fail "$description: status $status, said '$said' (expected $expected, '$line')"
    fi
}

# ---- a drive recorded by hand

start_game "$TEXTURES" --record "$DRIVE"
keys 1  # first gear: the drive comes to rest well short of the river, whatever the timing
xdotool keydown Up; sleep 0.6; xdotool key Left; sleep 0.2; xdotool keyup Up
keys p; sleep 0.5; keys p
keys l
xdotool keydown Down; sleep 2; xdotool keyup Down
poll 10 steady || fail "the recorded drive did not come to rest" "$LAST_SHOT"
cp "$LAST_SHOT" "$WORK/recorded-end.ppm"
keys Escape
wait_exit 5 && [ "$EXIT_STATUS" = 0 ] || fail "Escape did not end the recording game with status 0"
[ "$(bytes_of "$DRIVE" | tail -n 1)" = 63 ] && pass "Escape finishes the recording with its end record" ||
    fail "the recording has no end record"
FRAMES=$("${CHECK[@]}" "$DRIVE" 2>/dev/null | grep -o '[0-9]* frames$' | cut -d' ' -f1)
check_says "the drive checks" 0 "$DRIVE: ok, $FRAMES frames" "$DRIVE"
[ "${FRAMES:-0}" -ge 120 ] || fail "the drive is too short for two checkpoints: ${FRAMES:-no} frames"

# ---- shown: REPLAY over the map, the player's driving ignored, the same picture at the end

REPLAY_BOX="$(col 36) $(row 47)"  # inside the REPLAY box, above its word
start_game "$TEXTURES" --replay "$DRIVE" 2>/dev/null || true
colour_near "$(probe pixel "$(shot replaying)" $REPLAY_BOX)" 0 0 0 0 &&
    pass "REPLAY is shown over the map while the drive plays" ||
    fail "no REPLAY box while the drive plays" "$WORK/replaying.ppm"
keys Right 3  # a player's driving is not heard while the recording drives
replay_over() { ! colour_near "$(probe pixel "$1" $REPLAY_BOX)" 0 0 0 0 && steady "$1"; }
if poll 30 replay_over; then
    if same_screen "$LAST_SHOT" "$WORK/recorded-end.ppm"; then
        pass "the replay ends on the recording's last picture, pixel for pixel"
    else
        fail "the replay's last picture differs from the recording's" "$LAST_SHOT" "$WORK/recorded-end.ppm"
    fi
else
    fail "the replay did not end" "$LAST_SHOT"
fi
cp "$LAST_SHOT" "$WORK/taken-over.ppm"
xdotool keydown Up; sleep 0.5; xdotool keyup Up
sleep 0.3
same_screen "$(shot driven)" "$WORK/taken-over.ppm" &&
    fail "the player could not drive on after the replay" "$WORK/driven.ppm" ||
    pass "at the end of the replay the player takes over the car"
keys Escape
wait_exit 5

# ---- one byte changed in the middle: caught at the checkpoint after it

read -r AT SECOND < <(checkpoints "$DRIVE" | sed -n 2p)
cp "$DRIVE" "$WORK/state.rec"
set_byte "$WORK/state.rec" $((AT + 9)) $(( ($(bytes_of "$DRIVE" | sed -n "$((AT + 10))p") + 1) % 256 ))
check_says "a changed state digest" 1 "$WORK/state.rec: differs at frame $SECOND (state)" "$WORK/state.rec"
cp "$DRIVE" "$WORK/picture.rec"
set_byte "$WORK/picture.rec" $((AT + 17)) $(( ($(bytes_of "$DRIVE" | sed -n "$((AT + 18))p") + 1) % 256 ))
check_says "a changed picture digest" 1 "$WORK/picture.rec: differs at frame $SECOND (picture)" "$WORK/picture.rec"
# The left turn (record 0) made a right turn (1): the state differs at the next checkpoint.
TURN=$(records "$DRIVE" | awk '$2 == 0 { print $1; exit }')
AFTER=$(checkpoints "$DRIVE" | awk -v t="$TURN" '$1 > t { print $2; exit }')
cp "$DRIVE" "$WORK/turn.rec"
set_byte "$WORK/turn.rec" "$TURN" 1
check_says "a left turn changed into a right one" 1 "$WORK/turn.rec: differs at frame $AFTER (state)" "$WORK/turn.rec"

# ---- hostile files: one line, status 1, no window, no hang

mkdir "$WORK/folder"
mkfifo "$WORK/pipe"
: >"$WORK/empty.rec"
head -c "$((AT - 5))" "$DRIVE" >"$WORK/truncated.rec"
cp "$DRIVE" "$WORK/future.rec"; set_byte "$WORK/future.rec" 8 2
cp "$DRIVE" "$WORK/unknown.rec"; set_byte "$WORK/unknown.rec" "$((AT - 1))" 119
head -c 4096 /dev/urandom >"$WORK/random.rec"
cp "$DRIVE" "$WORK/long-text.rec"; set_byte "$WORK/long-text.rec" 10 255
while read -r file reason; do
    for mode in --check --replay; do
        status=0
        timeout 20 "$GAME" --data "$TEXTURES" "$mode" "$file" >"$WORK/out.txt" 2>"$WORK/err.txt" || status=$?
        if [ $status = 1 ] && [ "$(cat "$WORK/err.txt")" = "Error: replay $file: $reason" ]; then
            pass "$mode $(basename "$file"): '$reason', status 1"
        else
            fail "$mode $(basename "$file"): status $status, stderr '$(cat "$WORK/err.txt")' (expected '$reason')"
        fi
    done
done <<EOF
$WORK/empty.rec the file is empty
$WORK/truncated.rec cut off at byte $((AT - 5)), in the middle of a second
$TEXTURES/Car.bmp not a recorded drive of this game
$WORK/future.rec recorded in format 2, this game reads format 1
$WORK/unknown.rec an unknown record at byte $((AT - 1))
$WORK/random.rec not a recorded drive of this game
$WORK/long-text.rec its header is cut off or damaged
$WORK/folder not a plain file
$WORK/pipe not a plain file
$WORK/missing.rec No such file or directory
EOF

# ---- killed and terminated games

start_game "$TEXTURES" --record "$WORK/killed.rec"
xdotool keydown Up; sleep 2.6; xdotool keyup Up
kill -9 "$GAME_PID"; wait "$GAME_PID" 2>/dev/null; GAME_PID=""
KILLED=$("${CHECK[@]}" "$WORK/killed.rec" 2>/dev/null | grep -o 'ok, [0-9]* frames')
frames=${KILLED//[^0-9]/}
[ -n "$frames" ] && [ $((frames % 60)) = 0 ] && [ "$frames" -ge 120 ] &&
    pass "a killed game's recording checks up to its last whole second ($KILLED)" ||
    fail "a killed game's recording: '${KILLED:-not ok}'"
start_game "$TEXTURES" --record "$WORK/terminated.rec"
keys Right 2
kill -TERM "$GAME_PID"; wait_exit 5
[ "$(bytes_of "$WORK/terminated.rec" | tail -n 1)" = 63 ] &&
    "${CHECK[@]}" "$WORK/terminated.rec" 2>/dev/null | grep -q ': ok, ' &&
    pass "a terminated game finishes its recording, which checks ok" ||
    fail "a terminated game's recording is not finished or does not check"

# ---- a recording writes only the file it is given

echo "a player's notes" >"$WORK/notes.txt"
cp "$WORK/notes.txt" "$WORK/notes.kept"
ln -s "$WORK/notes.txt" "$WORK/link.rec"
for target in "$WORK/notes.txt" "$WORK/link.rec" "$WORK/folder"; do
    status=0
    timeout 20 "$GAME" --record "$target" >/dev/null 2>"$WORK/err.txt" || status=$?
    if [ $status = 1 ] && [ "$(wc -l <"$WORK/err.txt")" = 1 ] && grep -q "^Error: record $target: " "$WORK/err.txt" &&
        cmp -s "$WORK/notes.txt" "$WORK/notes.kept"; then
        pass "--record $(basename "$target") refused: $(cat "$WORK/err.txt")"
    else
        fail "--record $(basename "$target"): status $status, '$(cat "$WORK/err.txt")', the notes kept: $(cmp -s "$WORK/notes.txt" "$WORK/notes.kept" && echo yes || echo no)"
    fi
done
(cd "$WORK/empty-folder" 2>/dev/null || mkdir "$WORK/empty-folder"; cd "$WORK/empty-folder" && "$GAME" --record "$WORK/never.rec" >/dev/null 2>&1)
[ ! -e "$WORK/never.rec" ] && pass "a game that cannot start leaves no recording behind" ||
    fail "a game that could not start left $WORK/never.rec"

finish
