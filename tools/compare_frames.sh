#!/usr/bin/env bash
# Compares the pictures of two builds of the game, frame for frame: each shows every drive of
# tests/replays (--replay) in a window of each size on a virtual X server of its own, with
# FrameDigests loaded, and the digests of the drive's frames must be the same. For a change that
# must not change a single pixel: build the game before and after it, then
#
#   tools/compare_frames.sh OLD_GAME NEW_GAME FRAME_DIGESTS_LIBRARY [WxH...]
#
# (the library is build/bench/libFrameDigests.so; sizes 1024x768 and 1920x1080 by default).
# GAME_OPTIONS adds options to both games' command lines, as in GAME_OPTIONS=--aspect=keep;
# DRIVES names the drives to show instead of all, as in DRIVES="tests/replays/river.rec".
# Status 0 when every frame of every drive is the same.
set -u
[ $# -ge 3 ] || { echo "usage: $0 OLD_GAME NEW_GAME FRAME_DIGESTS_LIBRARY [WxH...]" >&2; exit 2; }
old=$(readlink -f "$1") new=$(readlink -f "$2") library=$(readlink -f "$3")
shift 3
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1024x768 1920x1080)
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# digests GAME DRIVE SIZE FRAMES OUT: the first FRAMES frames' digests of GAME showing DRIVE
digests()
{
    local game=$1 drive=$2 size=$3 frames=$4 out=$5
    : >"$out"
    bash tests/xserver.sh run --bare --size "$size" \
        env TARVELO_FRAME_DIGESTS="$out" LD_PRELOAD="$library" \
        "$game" --mute --window -geometry "${size}+0+0" --data data ${GAME_OPTIONS:-} \
        --replay "$PWD/$drive" \
        >/dev/null 2>&1 &
    local runner=$!
    while [ "$(wc -l <"$out")" -lt "$frames" ] && kill -0 $runner 2>/dev/null; do
        sleep 0.2
    done
    pkill -P $runner -f -- "--replay $PWD/$drive" 2>/dev/null  # this game only, not another's
    wait $runner 2>/dev/null
    head -n "$frames" "$out" >"$out.first" && mv "$out.first" "$out"
}

status=0
for drive in ${DRIVES:-tests/replays/*.rec}; do
    frames=$(env -u DISPLAY "$new" --check "$drive" | sed -n 's/.*: ok, \([0-9]*\) frames.*/\1/p')
    if [ -z "$frames" ]; then
        echo "$drive: does not check with $new"; status=1; continue
    fi
    for size in "${sizes[@]}"; do
        digests "$old" "$drive" "$size" "$frames" "$work/old"
        digests "$new" "$drive" "$size" "$frames" "$work/new"
        if [ "$(wc -l <"$work/old")" != "$frames" ] || [ "$(wc -l <"$work/new")" != "$frames" ]; then
            echo "$drive at $size: a game showed fewer than $frames frames"; status=1
        elif first=$(cmp "$work/old" "$work/new" | grep -o 'line [0-9]*'); then
            echo "$drive at $size: frame ${first#line } differs"; status=1
        else
            echo "$drive at $size: $frames frames, every one the same"
        fi
    done
done
exit $status
