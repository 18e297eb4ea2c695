#!/usr/bin/env bash
# Starts the real game on the X server in DISPLAY, in the folder of its pictures, and checks its
# console banner line by line, that its window fills the screen as a full-screen window and that
# it keeps running until stopped.
#   Usage: smoke_test.sh GAME_BINARY PICTURE_FOLDER
#
# The server is shared: other tests' windows come and go on it all the time, some of them other
# games with the same title. So the game's window is not looked for by walking the window tree
# (a walk fails when a window goes meanwhile) nor by its exact title (the window manager marks a
# second window of a title already shown, "TITLE <2>"): it is the window the window manager
# lists as managed (_NET_CLIENT_LIST, one property of the root) whose _NET_WM_PID is the game's.
set -u
game=$(readlink -f "$1") pictures=$2
: "${TARVELO_VERSION:?the version the game was built as (CTest gives it)}"
out=$(mktemp) err=$(mktemp) home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$out" "$err" "$home"' EXIT
# The game as it comes: none of the machine user's settings or best lap.
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data

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
title="TARVELO! b$TARVELO_VERSION - by the TARVELO! team"
screen=$(xwininfo -root | awk '/-geometry/ {print $2}')

# The windows the window manager holds, one id a line.
managed_windows() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*'; }
# WIDTHxHEIGHT+X+Y on the screen and the map state of a window; empty once it has gone.
placement()
{
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2} /Map State:/ {m = $3}
    END {if (m != "") print w "x" h "+" x "+" y, m}'
}
window_pid() { xprop -id "$1" _NET_WM_PID 2>/dev/null | awk '/= / {print $3}'; }
full_screen_asked() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN; }
# What the server showed of every managed window, for a failure's report.
report_windows()
{
  echo "  the screen: $screen; the game's process: $pid; the windows managed:"
  local w
  for w in $(managed_windows); do
    echo "    $w pid $(window_pid "$w"), $(placement "$w"), $(xprop -id "$w" WM_NAME _NET_WM_STATE 2>/dev/null | tr '\n' ' ')"
  done
}

# The event awaited: the whole banner written, and the game's window mapped over the whole
# screen, asking to be full screen. A game that ends, or a generous time limit against a hang,
# ends the wait.
window="" seen="" limit=120
while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $limit ]; do
  if grep -q "Loading Map objects" "$out"; then
    for candidate in $(managed_windows); do
      [ "$(window_pid "$candidate")" = "$pid" ] || continue
      window=$candidate seen=$(placement "$candidate")
      [ "$seen" = "$screen IsViewable" ] && full_screen_asked "$window" && break 2
    done
  fi
  sleep 0.1
done

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
# Its title: the game's, or with the window manager's mark of a second window of that title.
name=$(xprop -id "${window:-0}" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_0-9]*) = "\(.*\)"$/\1/p')
if [ -z "$window" ]; then
  echo "FAIL: no window of the game's process was managed in $SECONDS s"
  report_windows; fail=1
elif [ "$seen" != "$screen IsViewable" ]; then
  echo "FAIL: the window $window, at '$seen', does not fill the screen '$screen'"
  report_windows; fail=1
elif ! full_screen_asked "$window"; then
  echo "FAIL: the window did not ask to be full screen"; report_windows; fail=1
elif ! [[ $name =~ ^"$title"( [<][0-9]+[>])?$ ]]; then
  echo "FAIL: the window's title is '$name', not '$title'"; fail=1
fi
[ $fail = 0 ] && echo "smoke test passed: banner, full screen ($screen, '$name'), still running"
exit $fail
