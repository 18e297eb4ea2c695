#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (1024 x 768, 24-bit colour) with a small window
# manager, as on a desktop, so that the game's full-screen request is honoured.
# Usage: tools/on_xvfb.sh COMMAND [ARGS...]
set -u
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
  wm=""
  for _ in $(seq 100); do
    if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
      matchbox-window-manager -use_titlebar no >/dev/null 2>&1 &
      wm=$!
    fi
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
  sleep 0.5  # the manager announces itself a moment before it takes over new windows
  "$@"
  status=$?
  kill "$wm" 2>/dev/null
  exit $status' on_xvfb "$@"
