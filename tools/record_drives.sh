#!/usr/bin/env bash
# Makes the recorded drives of tests/replays again: each drive of record_drives is driven frame by
# frame through the real game's own actions, in a window on a virtual X server of its own
# (1024 x 768, with the small window manager the tests use, where the pictures of its
# checkpoints are drawn), checked at once with `tarvelo --check`, and only then put in place,
# with its log of what the car met beside it. A drive is made the same way every time: the same
# game and route give the same file. Make them again when a change to the game's rules or
# pictures is meant to change how the drives play.
#
#   tools/record_drives.sh [--into FOLDER] [--build FOLDER] [NAME...]
#
# All the drives, or those named, into tests/replays or the folder --into names. It builds
# record_drives and the game, with the tests, in build/ or the folder --build names.
set -euo pipefail
usage="usage: tools/record_drives.sh [--into FOLDER] [--build FOLDER] [NAME...]"
into=tests/replays
build=build
while [ $# -gt 0 ]; do
    case $1 in
    --into) into=$(realpath -m "${2:?$usage}"); shift 2 ;;
    --build) build=$(realpath -m "${2:?$usage}"); shift 2 ;;
    -*) echo "$usage" >&2; exit 2 ;;
    *) break ;;
    esac
done
cd "$(dirname "$0")/.."

cmake -S . -B "$build" -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j2 --target record_drives tarvelo >/dev/null

recorder=$build/tests/record_drives
names=("$@")
[ ${#names[@]} -gt 0 ] || mapfile -t names < <("$recorder" --list)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$into"

# One X server for all of them; each drive starts a fresh game.
tools/on_xvfb.sh bash -c '
  set -u -o pipefail
  recorder=$1 game=$2 data=$3 work=$4 into=$5
  shift 5
  for name in "$@"; do
    start=$SECONDS
    if ! "$recorder" "$name" "$work/$name.rec" "$work/$name.log" >"$work/$name.out" 2>&1; then
      echo "$name: the drive went wrong:"
      tail -n 5 "$work/$name.log"
      exit 1
    fi
    "$game" --data "$data" --check "$work/$name.rec" 2>&1 | tail -n 1 || exit 1
    mv "$work/$name.rec" "$work/$name.log" "$into/"
    echo "$name: recorded in $((SECONDS - start)) s"
  done' record "$recorder" "$build/tarvelo" "$PWD/data" "$work" "$into" "${names[@]}"
ls -l "$into"
