#!/usr/bin/env bash
# The browser build's drive checker under Node against the game's own `--check` with no display:
# the same lines and the same status for every recorded drive, for one whose final state was
# changed, for a file that is no drive and for one that is missing.
#   Usage: web_check_test.sh GAME WEB_CHECKER REPLAY_FOLDER
set -u
game=$1 checker=$2 replays=$3
if [ ! -f "$checker" ]; then
    echo "SKIPPED: no browser build ($checker): bash tools/web.sh makes it"
    exit 77
fi
game=$(realpath "$game") checker=$(realpath "$checker") replays=$(realpath "$replays")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$replays"/*.rec .
drives=(*.rec)
# The last byte of the final state's digest, just before the end record.
cp river.rec changed.rec
size=$(stat -c %s changed.rec)
printf '\001' | dd of=changed.rec bs=1 seek=$((size - 2)) conv=notrunc status=none
echo "no drive" >notes.txt
files=("${drives[@]}" changed.rec notes.txt missing.rec)

status=0
env -u DISPLAY "$game" --check "${files[@]}" >game.out 2>&1 || status=$?
game_says="status $status: $(cat game.out)"
status=0
node "$checker" "${files[@]}" >web.out 2>&1 || status=$?
web_says="status $status: $(cat web.out)"

failed=0
[ "$(grep -c ': ok, [0-9]* frames (state only)$' game.out)" = ${#drives[@]} ] &&
    grep -q '^changed.rec: differs at frame [0-9]* (state)$' game.out || {
    echo "FAIL: the game's own check is not what this test expects: $game_says"
    failed=1
}
if [ "$web_says" = "$game_says" ]; then
    echo "ok: under Node, as the game says it:"
    echo "$web_says"
else
    echo "FAIL: under Node"
    diff <(echo "$game_says") <(echo "$web_says")
    failed=1
fi
exit $failed
