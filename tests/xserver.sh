#!/usr/bin/env bash
# The tests' own virtual X server: 1024 x 768 in 24-bit colour with a small window manager, as on
# a desktop, so that the game's full-screen request is honoured. CTest starts it before the first
# test that needs a screen and stops it after the last.
#
#   xserver.sh start FOLDER   starts Xvfb and the window manager; writes the display (":N") to
#                             FOLDER/display, or leaves no such file when there is no Xvfb here,
#                             and the window tests then skip themselves saying so
#   xserver.sh stop FOLDER    stops what start started
set -u
action=${1:-} folder=${2:-}
[ -n "$folder" ] || { echo "usage: $0 start|stop FOLDER" >&2; exit 2; }
mkdir -p "$folder"

stop()
{
    local pid
    for pid in $(cat "$folder/wm.pid" "$folder/xvfb.pid" 2>/dev/null); do
        kill "$pid" 2>/dev/null
    done
    rm -f "$folder/display" "$folder/wm.pid" "$folder/xvfb.pid" "$folder/no-keys"
}

case $action in
stop)
    stop
    exit 0
    ;;
start) stop ;;
*)
    echo "usage: $0 start|stop FOLDER" >&2
    exit 2
    ;;
esac

if ! command -v Xvfb >/dev/null; then
    echo "no Xvfb on this machine: the tests that need a screen will be skipped" \
        "(Debian's xvfb package brings it)"
    exit 0
fi

# -displayfd: the server picks a free display and writes its number once it takes connections.
rm -f "$folder/display.number"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$folder/display.number" >"$folder/xvfb.log" 2>&1 &
echo $! >"$folder/xvfb.pid"
for _ in $(seq 100); do
    grep -q . "$folder/display.number" 2>/dev/null && break
    sleep 0.05
done
number=$(tr -dc 0-9 <"$folder/display.number" 2>/dev/null)
rm -f "$folder/display.number"
if [ -z "$number" ]; then
    echo "Xvfb did not start:"
    cat "$folder/xvfb.log"
    stop
    exit 1
fi
export DISPLAY=":$number"

if command -v matchbox-window-manager >/dev/null; then
    # Without the manager's own keys (its F11 would make windows full screen itself): the keys
    # are the game's, as on most desktops.
    : >"$folder/no-keys"
    setsid matchbox-window-manager -use_titlebar no -kbdconfig "$folder/no-keys" >/dev/null 2>&1 &
    echo $! >"$folder/wm.pid"
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.05
    done
    sleep 0.5  # the manager announces itself a moment before it takes over new windows
else
    echo "no matchbox-window-manager: the tests run on a bare X server"
fi

echo "$DISPLAY" >"$folder/display"
echo "virtual X server on $DISPLAY"
