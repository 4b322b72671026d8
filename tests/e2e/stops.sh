#!/usr/bin/env bash
# The real client stopped in every way a session ends it: the close box, SIGTERM, SIGHUP,
# SIGINT, and its display going away. Each time remote.inf, spoilt behind its back, is written
# anew with the frame's position in twips. The simulator answers, so no error box is in the way.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
# No session bus: without an address, a client on a display of its own would start one.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
start_openbox
start_device
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >remote.inf
gone() { ! kill -0 "$1"; }

# stop NAME HOW CODE POSITION: HOW is a signal, "close" or "display"; the client must end with
# exit code CODE, having written POSITION (a pattern) and the rest as it read them.
stop() {
    local name=$1 how=$2 code=$3 position=$4 xvfb= window rc=0 written
    if [ "$how" = display ]; then # a display of its own, without a window manager, to take away
        Xvfb -displayfd 3 -nolisten tcp 3>number 2>/dev/null &
        xvfb=$!
        pids+=($xvfb)
        wait_for test -s number
        local -x DISPLAY=:$(cat number) # for this stop only
    fi
    (exec "$client") & # not "$client" &, which would start it with SIGINT ignored
    local pid=$!
    pids+=($pid)
    window=$(window_of "$pid") || fail "$name: no window"
    if [ -z "$xvfb" ]; then # the frame's top left corner to 300,200 (gravity 1: north-west)
        wmctrl -i -r "$window" -e 1,300,200,-1,-1
        sleep 0.5
    fi
    printf spoilt >remote.inf
    case $how in
    close) wmctrl -i -c "$window" ;;
    display) kill "$xvfb" ;;
    *) kill -"$how" "$pid" ;;
    esac
    wait_for gone "$pid"
    wait "$pid" || rc=$?
    [ "$rc" -eq "$code" ] || fail "$name: exit code $rc"
    written=$(cat remote.inf; echo .)
    [[ $written =~ ^$position$'\r\n"127.0.0.2"\r\n#TRUE#\r\n.'$ ]] ||
        fail "$name: remote.inf became $(cat -A remote.inf)"
    echo "PASS: $name"
}

stop "close box" close 0 3000,4500
stop SIGTERM TERM 0 3000,4500
stop SIGHUP HUP 0 3000,4500
stop SIGINT INT 0 3000,4500
stop "display gone" display 1 '-?[0-9]+(\.[0-9]+)?,-?[0-9]+' # Qt's exit code for a lost display
