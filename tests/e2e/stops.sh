#!/usr/bin/env bash
# The real client stopped in every way a session ends it, under Xvfb at 96 dpi (15 twips a
# pixel) with openbox: the close box, SIGTERM, SIGHUP, SIGINT, and its display going away.
# Each time remote.inf, spoilt behind the client's back, is written anew with the frame's
# position in twips. The device simulator answers the polls, so no error box is in the way.
set -euo pipefail
client=$(readlink -f "$1")
device=$(readlink -f "$2")
if [ -z "${STOPS_ON_XVFB:-}" ]; then
    export STOPS_ON_XVFB=1
    exec xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96 -nolisten tcp' bash "$0" "$@"
fi
tmp=$(mktemp -d)
pids=()
trap '{ kill "${pids[@]}"; wait "${pids[@]}"; } 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# No session bus: without an address, a client on a display of its own would start one.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
for _ in $(seq 100); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done # a loaded machine
openbox --sm-disable & pids+=($!)
"$device" >"$tmp/device.log" & pids+=($!)
for _ in $(seq 100); do
    wmctrl -m >/dev/null 2>&1 && grep -q listening "$tmp/device.log" && break
    sleep 0.1
done
wmctrl -m >/dev/null 2>&1 || fail "no window manager"
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >"$tmp/remote.inf"

# stop NAME HOW CODE POSITION: HOW is a signal, "close" or "display"; the client must end with
# exit code CODE, having written POSITION (a pattern) and the rest as it read them.
stop() {
    local name=$1 how=$2 code=$3 position=$4 xvfb= window rc=0 written
    if [ "$how" = display ]; then # a display of its own, without a window manager, to take away
        Xvfb -displayfd 3 -nolisten tcp 3>"$tmp/number" 2>/dev/null &
        xvfb=$!
        pids+=($xvfb)
        for _ in $(seq 100); do [ -s "$tmp/number" ] && break; sleep 0.1; done
        local -x DISPLAY=:$(cat "$tmp/number") # for this stop only
    fi
    (cd "$tmp" && exec "$client") &
    local pid=$!
    pids+=($pid)
    window=$(timeout 20 xdotool search --sync --all --pid "$pid" --name '^Tembrill Connect$' |
        head -n 1) || fail "$name: no window"
    if [ -z "$xvfb" ]; then # the frame's top left corner to 300,200 (gravity 1: north-west)
        wmctrl -i -r "$window" -e 1,300,200,-1,-1
        sleep 0.5
    fi
    printf spoilt >"$tmp/remote.inf"
    case $how in
    close) wmctrl -i -c "$window" ;;
    display) kill "$xvfb" ;;
    *) kill -"$how" "$pid" ;;
    esac
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "$name: the client still runs"
    wait "$pid" || rc=$?
    [ "$rc" -eq "$code" ] || fail "$name: exit code $rc"
    written=$(cat "$tmp/remote.inf"; echo .)
    [[ $written =~ ^$position$'\r\n"127.0.0.2"\r\n#TRUE#\r\n.'$ ]] ||
        fail "$name: remote.inf became $(cat -A "$tmp/remote.inf")"
    echo "PASS: $name"
}

stop "close box" close 0 3000,4500
stop SIGTERM TERM 0 3000,4500
stop SIGHUP HUP 0 3000,4500
stop SIGINT INT 0 3000,4500
stop "display gone" display 1 '-?[0-9]+(\.[0-9]+)?,-?[0-9]+' # Qt's exit code for a lost display
