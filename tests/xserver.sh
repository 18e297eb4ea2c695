#!/usr/bin/env bash
# The one way the tests, the benchmarks and the tools start a virtual X server: Xvfb in 24-bit
# colour, by default 1024 x 768 with a small window manager, as on a desktop, so that the game's
# full-screen request is honoured. The server writes its display number once it takes
# connections (-displayfd), so nothing waits for a time; it does not reset when its last client
# leaves (-noreset), unless --reset asks for a server that does, as xinit gives.
#
#   xserver.sh start FOLDER [OPTION...]  starts it; writes the display (":N") to FOLDER/display,
#                                        or leaves no such file when there is no Xvfb here (the
#                                        window tests then skip themselves, saying so)
#   xserver.sh stop FOLDER               stops what start started
#   xserver.sh run [OPTION...] COMMAND...  COMMAND on a server of its own, stopped after it
#
# Options: --size WxH (the screen), --bare (no window manager), --reset (see above), --watch PID
# (the server is stopped when that process ends, however it ends).
set -u
here=$(cd "$(dirname "$0")" && pwd)

usage()
{
    echo "usage: $0 start FOLDER [--size WxH] [--bare] [--reset] [--watch PID] | stop FOLDER |" \
        "run [--size WxH] [--bare] [--reset] COMMAND..." >&2
    exit 2
}

stop()
{
    local pid
    for pid in $(cat "$folder/watch.pid" "$folder/wm.pid" "$folder/xvfb.pid" 2>/dev/null); do
        kill "$pid" 2>/dev/null
    done
    rm -f "$folder/display" "$folder/watch.pid" "$folder/wm.pid" "$folder/xvfb.pid" \
        "$folder/no-keys"
}

action=${1:-}
shift || usage
case $action in
stop)
    folder=${1:-}
    [ -n "$folder" ] || usage
    stop
    exit 0
    ;;
run)
    # The options are start's; the rest is the command.
    options=()
    while [ $# -gt 0 ]; do
        case $1 in
        --size | --watch) options+=("$1" "${2:-}"); shift 2 ;;
        --bare | --reset) options+=("$1"); shift ;;
        *) break ;;
        esac
    done
    [ $# -gt 0 ] || usage
    folder=$(mktemp -d)
    trap 'bash "$here/xserver.sh" stop "$folder" >/dev/null; rm -rf "$folder"' EXIT
    bash "$here/xserver.sh" start "$folder" "${options[@]}" >/dev/null || exit 1
    # 77: what CTest takes for a skipped test.
    [ -s "$folder/display" ] || { echo "SKIPPED: no Xvfb on this machine (Debian's xvfb brings it)"; exit 77; }
    DISPLAY=$(cat "$folder/display") "$@"
    exit $?
    ;;
start)
    folder=${1:-}
    [ -n "$folder" ] || usage
    shift
    ;;
*) usage ;;
esac

size=1024x768 bare=0 reset=0 watch=""
while [ $# -gt 0 ]; do
    case $1 in
    --size) size=${2:-}; shift 2 ;;
    --bare) bare=1; shift ;;
    --reset) reset=1; shift ;;
    --watch) watch=${2:-}; shift 2 ;;
    *) usage ;;
    esac
done
mkdir -p "$folder"
stop

if ! command -v Xvfb >/dev/null; then
    echo "no Xvfb on this machine: the tests that need a screen will be skipped" \
        "(Debian's xvfb package brings it)"
    exit 0
fi

noreset=(-noreset)
[ $reset = 1 ] && noreset=()
rm -f "$folder/display.number"
setsid Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp "${noreset[@]}" \
    3>"$folder/display.number" >"$folder/xvfb.log" 2>&1 &
echo $! >"$folder/xvfb.pid"
for _ in $(seq 400); do
    grep -q . "$folder/display.number" 2>/dev/null && break
    kill -0 "$(cat "$folder/xvfb.pid")" 2>/dev/null || break
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

if [ $bare = 0 ] && command -v matchbox-window-manager >/dev/null; then
    # Without the manager's own keys (its F11 would make windows full screen itself): the keys
    # are the game's, as on most desktops.
    : >"$folder/no-keys"
    setsid matchbox-window-manager -use_titlebar no -kbdconfig "$folder/no-keys" >/dev/null 2>&1 &
    echo $! >"$folder/wm.pid"
    for _ in $(seq 400); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.05
    done
    sleep 0.5  # the manager announces itself a moment before it takes over new windows
elif [ $bare = 0 ]; then
    echo "no matchbox-window-manager: the tests run on a bare X server"
fi

if [ -n "$watch" ]; then
    # Stops the server once the watched process is gone, also when it was killed.
    setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 0.5; done
                    bash "$2/xserver.sh" stop "$3"' watcher "$watch" "$here" "$folder" \
        >/dev/null 2>&1 </dev/null &
    echo $! >"$folder/watch.pid"
fi

echo "$DISPLAY" >"$folder/display"
echo "virtual X server on $DISPLAY"
