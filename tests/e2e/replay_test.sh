#!/usr/bin/env bash
# Recorded drives with the real game: a drive recorded by hand through real X input checks ok,
# replays to the same picture with REPLAY over the map, ignores the player's driving meanwhile
# and hands the car over at its end; a one-byte change is caught at its checkpoint; a drive is
# never lost (a killed game leaves whole seconds and an old drive as it was, every ending signal
# finishes the file, a full disk cuts it back to its last whole second); a drive resized as it
# was recorded checks, and other pictures are said to be; hostile files are one line and status
# 1; and a recording writes only the file it is given, one game at a time.
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
# that line and nothing else (on stdout, or stderr for a refusal), and that status.
check_says()
{
    local description=$1 expected=$2 line=$3 status=0
    shift 3
    timeout 60 "${CHECK[@]}" "$@" >"$WORK/check.out" 2>"$WORK/check.err" || status=$?
    local said
    said=$(cat "$WORK/check.out" "$WORK/check.err")
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
        if [ $status = 1 ] && [ "$(cat "$WORK/err.txt")" = "tarvelo: replay $file: $reason" ]; then
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

# ---- drives never lost

# seconds_held FILE: the whole seconds the file holds as it stands.
seconds_held() { if [ -s "$1" ]; then checkpoints "$1" | wc -l; else echo 0; fi; }
two_seconds_in() { [ "$(seconds_held "$WORK/killed.rec")" -ge 2 ]; }
start_game "$TEXTURES" --record "$WORK/killed.rec"
xdotool keydown Up
poll 60 two_seconds_in || fail "the recording did not reach two whole seconds"
xdotool keyup Up
kill -9 "$GAME_PID"; wait "$GAME_PID" 2>/dev/null; GAME_PID=""
KILLED=$("${CHECK[@]}" "$WORK/killed.rec" 2>/dev/null | grep -o 'ok, [0-9]* frames')
frames=${KILLED//[^0-9]/}
[ -n "$frames" ] && [ $((frames % 60)) = 0 ] && [ "$frames" -ge 120 ] &&
    pass "a killed game's recording checks up to its last whole second ($KILLED)" ||
    fail "a killed game's recording: '${KILLED:-not ok}'"

# Killed before its first second: an old drive stays as it was, a new file is not made.
cp "$DRIVE" "$WORK/old.rec"
for file in old.rec new.rec; do
    launch "$TEXTURES" "$GAME" --record "$WORK/$file"
    kill -9 "$GAME_PID"; wait "$GAME_PID" 2>/dev/null; GAME_PID=""
done
cmp -s "$DRIVE" "$WORK/old.rec" && [ ! -e "$WORK/new.rec" ] && [ -z "$(ls -A "$WORK" | grep '^\.')" ] &&
    pass "a game killed at once leaves an old drive as it was, and no new file" ||
    fail "a game killed at once: old drive kept: $(cmp -s "$DRIVE" "$WORK/old.rec" && echo yes || echo no), $(ls -A "$WORK" | grep 'new.rec\|^\.')"

# Every signal that ends the game finishes its recording: a terminal's Ctrl+C and hangup too.
# (A shell starts background games with Ctrl+C ignored; a terminal's game has it as usual.)
printf '#!/bin/sh\nexec env --default-signal "%s" "$@"\n' "$GAME" >"$WORK/in-terminal.sh"
chmod +x "$WORK/in-terminal.sh"
for signal in TERM INT HUP; do
    GAME=$WORK/in-terminal.sh start_game "$TEXTURES" --record "$WORK/$signal.rec"
    keys Right 2
    kill -"$signal" "$GAME_PID"; wait_exit 5
    [ "$(bytes_of "$WORK/$signal.rec" | tail -n 1)" = 63 ] &&
        "${CHECK[@]}" "$WORK/$signal.rec" 2>/dev/null | grep -q ': ok, ' &&
        pass "SIG$signal finishes the recording, which checks ok" ||
        fail "SIG$signal: the recording is not finished or does not check"
done

# A disk that takes no more (here a file size limit): the file ends at its last whole second and
# the game plays on, unrecorded.
printf '#!/bin/bash\ntrap "" XFSZ\nulimit -f 1\nexec "%s" "$@"\n' "$GAME" >"$WORK/small-disk.sh"
chmod +x "$WORK/small-disk.sh"
GAME=$WORK/small-disk.sh start_game "$TEXTURES" --record "$WORK/full.rec"
disk_full() { grep -q "could not be written" "$WORK/stderr.txt"; }
poll 60 disk_full || fail "the recording never filled the file size limit"
keys Escape; wait_exit 5
FULL=$("${CHECK[@]}" "$WORK/full.rec" 2>/dev/null | grep -o 'ok, [0-9]* frames')
frames=${FULL//[^0-9]/}
[ "$EXIT_STATUS" = 0 ] && [ -n "$frames" ] && [ $((frames % 60)) = 0 ] && [ "$frames" -ge 60 ] &&
    pass "a full disk leaves the drive at its last whole second ($FULL), and the game ends with 0" ||
    fail "a full disk: status '$EXIT_STATUS', the recording '${FULL:-not ok}'"

# A drive recorded while its window is dragged smaller (on a server with no window manager to
# hold the size) checks as it was recorded, pictures and all.
bare_server 1024x768
SHARED_DISPLAY=$DISPLAY
export DISPLAY=$BARE_DISPLAY
launch "$TEXTURES" "$GAME" --window --record "$WORK/resized.rec"
for ((width = 1024; width > 786; width -= 2)); do
    timeout 5 xdotool windowsize --sync "$WINDOW" "$width" $((width - 256)) ||
        { fail "the window was not resized to $width"; break; }
done
three_seconds_in() { [ "$(seconds_held "$WORK/resized.rec")" -ge 3 ]; }
poll 60 three_seconds_in || fail "the resized drive did not reach three whole seconds"
kill -TERM "$GAME_PID"; wait_exit 5
frames=$(records "$WORK/resized.rec" | grep -c ' 33$')
check_says "a drive resized as it was recorded" 0 "$WORK/resized.rec: ok, $frames frames" "$WORK/resized.rec"
export DISPLAY=$SHARED_DISPLAY

# Pictures the drive was not recorded with: the check says it compared the states alone.
cp -r "$TEXTURES" "$WORK/changed"
size=$(stat -c %s "$WORK/changed/Road.bmp")
set_byte "$WORK/changed/Road.bmp" $((size - 1)) 7
CHECK=("$GAME" --data "$WORK/changed" --check)
check_says "a drive checked with other pictures" 0 \
    "$DRIVE: ok, $FRAMES frames (state only: the pictures differ from the recording's)" "$DRIVE"
CHECK=("$GAME" --data "$TEXTURES" --check)

# ---- a recording writes only the file it is given

echo "a player's notes" >"$WORK/notes.txt"
cp "$WORK/notes.txt" "$WORK/notes.kept"
ln -s "$WORK/notes.txt" "$WORK/link.rec"
start_game "$TEXTURES" --record "$WORK/same.rec"
for target in "$WORK/notes.txt" "$WORK/link.rec" "$WORK/folder" "$WORK/same.rec"; do
    status=0
    timeout 20 "$GAME" --record "$target" >/dev/null 2>"$WORK/err.txt" || status=$?
    if [ $status = 1 ] && [ "$(wc -l <"$WORK/err.txt")" = 1 ] && grep -q "^tarvelo: record $target: " "$WORK/err.txt" &&
        cmp -s "$WORK/notes.txt" "$WORK/notes.kept"; then
        pass "--record $(basename "$target") refused: $(cat "$WORK/err.txt")"
    else
        fail "--record $(basename "$target"): status $status, '$(cat "$WORK/err.txt")', the notes kept: $(cmp -s "$WORK/notes.txt" "$WORK/notes.kept" && echo yes || echo no)"
    fi
done
keys Escape; wait_exit 5
"${CHECK[@]}" "$WORK/same.rec" 2>/dev/null | grep -q ': ok, ' &&
    pass "the game recording into it first keeps its drive whole" ||
    fail "the first game's drive, with a second game refused: does not check"
(cd "$WORK/empty-folder" 2>/dev/null || mkdir "$WORK/empty-folder"; cd "$WORK/empty-folder" && "$GAME" --data "$WORK/empty-folder" --record "$WORK/never.rec" >/dev/null 2>&1)
[ ! -e "$WORK/never.rec" ] && pass "a game that cannot start leaves no recording behind" ||
    fail "a game that could not start left $WORK/never.rec"

finish
