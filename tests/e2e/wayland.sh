#!/usr/bin/env bash
# The real client in a Wayland session: weston, headless, with Xwayland beside it. Where the
# user chose no platform, the client runs through Xwayland (its window is an X11 one) and its
# client area holds the duration labels; where that X server is gone it runs natively, cannot
# know its place, and remote.inf keeps the stored one byte for byte.
set -euo pipefail
command -v weston >/dev/null || { echo "weston is not installed"; exit 77; }
no_xvfb=1
. "$(dirname "$0")/lib.sh"
weston --backend=headless-backend.so --xwayland --socket=wl --idle-time=0 >weston.log 2>&1 &
pids+=($!)
on_fail='cat weston.log'
wait_for grep -q 'xserver listening on display' weston.log
x11=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' weston.log)
stored=$'1500,3000\r\n"127.0.0.2"\r\n#TRUE#\r\n'

# A client in a directory of its own, $1, with the environment VAR=VALUE...
start() {
    mkdir "$1"
    printf '%s' "$stored" >"$1/remote.inf"
    (cd "$1" && exec env WAYLAND_DISPLAY=wl "${@:2}" "$client") &
    pid=$!
}
# It must end with 0 on SIGTERM.
stop() {
    kill -TERM "$pid"
    wait "$pid" || fail "$1: the client ended with $?"
}

# Through Xwayland: an X11 window, wide enough for the labels (2535 twips: 169 pixels).
export DISPLAY=$x11
start xwayland
window=$(window_of "$pid") || fail "xwayland: no window"
width=$(xwininfo -id "$window" | sed -n 's/.*Width: *//p')
[ "$width" -ge 169 ] || fail "xwayland: client area $width pixels wide"
stop xwayland

# Native Wayland, where DISPLAY names an X server that is gone: the client falls back to
# Wayland, and the stored position, though off every screen, is kept byte for byte. (In the
# sanitizer builds, Qt's Wayland platform leaves allocations of libwayland-client and of a
# graphics module it has unloaded at exit: no leak check for that run.)
stored=$'-30000,-30000\r\n"127.0.0.2"\r\n#TRUE#\r\n'
start wayland DISPLAY=:999 ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# SIGTERM is caught (bit 15 of SigCgt) once the client can write its settings.
catches_term() { (( 0x$(sed -n 's/^SigCgt:\s*//p' "/proc/$1/status") >> 14 & 1 )); }
wait_for catches_term "$pid"
stop wayland
[ "$(cat wayland/remote.inf; echo .)" = "$stored." ] ||
    fail "wayland: remote.inf became $(cat -A wayland/remote.inf)"
echo "wayland: through Xwayland and native, as expected"
