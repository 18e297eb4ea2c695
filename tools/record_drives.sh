#!/usr/bin/env bash
# Makes the recorded drives of tests/replays again: each drive of record_drives is driven through
# the real game on a virtual X server of its own (1024 x 768, with the small window manager the
# tests use), checked at once with `tarvelo --check`, and only then put in place, with its log
# of what the car met beside it. Make them again when a change to the game's rules or pictures
# is meant to change how the drives play.
#
#   tools/record_drives.sh [NAME...]    all the drives, or those named
#
# It builds record_drives and the game in build/, with the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
cmake -S . -B "$build" -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j2 --target record_drives tarvelo >/dev/null

recorder=$build/tests/record_drives
names=("$@")
[ ${#names[@]} -gt 0 ] || mapfile -t names < <("$recorder" --list)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p tests/replays

# One X server for all of them; each drive starts a fresh game.
tools/on_xvfb.sh bash -c '
  set -u -o pipefail
  recorder=$1 game=$2 data=$3 work=$4
  shift 4
  for name in "$@"; do
    start=$SECONDS
    if ! "$recorder" "$name" "$work/$name.rec" "$work/$name.log" >"$work/$name.out" 2>&1; then
      echo "$name: the drive went wrong:"
      tail -n 5 "$work/$name.log"
      exit 1
    fi
    "$game" --data "$data" --check "$work/$name.rec" 2>&1 | tail -n 1 || exit 1
    mv "$work/$name.rec" "$work/$name.log" tests/replays/
    echo "$name: recorded in $((SECONDS - start)) s"
  done' record "$recorder" "$build/tarvelo" "$PWD/data" "$work" "${names[@]}"
ls -l tests/replays
