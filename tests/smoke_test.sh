#!/usr/bin/env bash
# Starts the real game on the X server in DISPLAY, in the folder of its pictures, and checks its
# console banner line by line, that it fills the screen and that it keeps running until stopped.
#   Usage: smoke_test.sh GAME_BINARY PICTURE_FOLDER
set -u
game=$(readlink -f "$1") pictures=$2
: "${TARVELO_VERSION:?the version the game was built as (CTest gives it)}"
out=$(mktemp) err=$(mktemp)
trap 'kill "$pid" 2>/dev/null; rm -f "$out" "$err"' EXIT

(cd "$pictures" && exec "$game") >"$out" 2>"$err" &
pid=$!

expected=$(printf '\n%s\n' \
  " TARVELO! a top-down driving game, made by the TARVELO! team in 2026" \
  " Please wait..." \
  " Initialising OpenGL..." \
  " Loading textures..." \
  " Loading Car objects..." \
  " Loading Toolbar objects..." \
  " Loading Map objects...")

for _ in $(seq 100); do
  grep -q "Loading Map objects" "$out" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
sleep 1.5

fail=0
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"; echo "FAIL: the game ended by itself with status $?"; fail=1
fi
if [ "$(cat "$out")" != "$expected" ]; then
  echo "FAIL: console output differs from the banner:"; diff <(echo "$expected") "$out"; fail=1
fi
if [ -s "$err" ]; then
  echo "FAIL: unexpected error output:"; cat "$err"; fail=1
fi
window=$(xwininfo -root -tree | grep -a "\"TARVELO! b$TARVELO_VERSION - by the TARVELO! team\"" | awk '{print $1}' | head -n 1)
geometry=$(xwininfo -root -tree | grep -a "\"TARVELO! b$TARVELO_VERSION - by the TARVELO! team\"" | grep -o -- '-\?[0-9]*x-\?[0-9]*+-\?[0-9]*+-\?[0-9]*' | head -n 1)
screen=$(xwininfo -root | awk '/-geometry/ {print $2}')
if [ -z "$window" ] || [ "$geometry" != "$screen" ]; then
  echo "FAIL: window '$geometry' does not fill the screen '$screen'"; fail=1
elif ! xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; then
  echo "FAIL: the window did not ask to be full screen"; fail=1
fi
[ $fail = 0 ] && echo "smoke test passed: banner, full screen ($geometry), still running"
exit $fail
