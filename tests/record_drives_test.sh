#!/usr/bin/env bash
# The drive recorder (tools/record_drives.cpp) against the game as it is now: one of its drives,
# recorded twice on the small screen this runs on, drives its whole route both times, gives the
# same file both times, and that file checks ok with `tarvelo --check`, its pictures compared.
#   Usage: record_drives_test.sh RECORDER GAME PICTURE_FOLDER DRIVE
set -u
recorder=$1 game=$2 data=$3 drive=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in 1 2; do
    if ! "$recorder" "$drive" "$work/$run.rec" "$work/$run.log" >"$work/$run.out" 2>&1; then
        echo "FAIL: recording $drive went wrong:"
        tail -n 5 "$work/$run.log" "$work/$run.out"
        exit 1
    fi
done
if ! cmp "$work/1.rec" "$work/2.rec" || ! cmp "$work/1.log" "$work/2.log"; then
    echo "FAIL: two recordings of $drive differ"
    exit 1
fi
result=$("$game" --data "$data" --check "$work/1.rec" 2>&1)
if ! [[ $result =~ ": ok, "[0-9]+" frames"$ ]]; then
    echo "FAIL: the recording does not check ok, pictures and all: $result"
    exit 1
fi
echo "$drive recorded twice into the same $(stat -c %s "$work/1.rec") bytes, which check ok:" \
    "${result##*: }; $(grep -o 'covered: .*' "$work/1.log")"
