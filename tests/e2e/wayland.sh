#!/usr/bin/env bash
# The real client in a Wayland session: weston, headless, with Xwayland beside it. Where the
# user chose no platform, the client runs through Xwayland (its window is an X11 one) and its
# client area holds the duration labels; where that X server is gone it runs natively, cannot
# know its place, and remote.inf keeps the stored one byte for byte.
set -euo pipefail
unset QT_QPA_PLATFORM
client=$(readlink -f "$1")
command -v weston >/dev/null || { echo "weston is not installed"; exit 77; }
tmp=$(mktemp -d)
weston_pid=
cleanup() { [ -z "$weston_pid" ] || kill "$weston_pid" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --xwayland --socket=wl --idle-time=0 >"$tmp/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 50); do
    x11=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$tmp/weston.log")
    [ -n "$x11" ] && break
    sleep 0.2
done
[ -n "$x11" ] || { cat "$tmp/weston.log"; echo "FAIL: no Xwayland"; exit 1; }
fail() { echo "FAIL: $*"; exit 1; }
stored=$'1500,3000\r\n"127.0.0.2"\r\n#TRUE#\r\n'

# A client in a directory of its own, stopped with SIGTERM once $2 says something of it.
run() {
    local name=$1 dir=$tmp/$1 ready=$2
    shift 2
    mkdir "$dir"
    printf '%s' "$stored" >"$dir/remote.inf"
    (cd "$dir" && exec env WAYLAND_DISPLAY=wl DISPLAY="$x11" "$@" "$client") &
    local pid=$!
    for _ in $(seq 50); do
        window=$(eval "$ready") && [ -n "$window" ] && break
        sleep 0.2
    done
    kill -TERM "$pid"
    wait "$pid" || fail "$name: the client ended with $?"
    [ -n "$window" ] || fail "$name: no window"
}

# Through Xwayland: an X11 window, wide enough for the labels (2535 twips: 169 pixels).
export DISPLAY=$x11
run xwayland 'w=$(xdotool search --all --pid $pid --name "^Tembrill Connect\$" | head -n 1) &&
    [ -n "$w" ] && xwininfo -id "$w" | sed -n "s/.*Width: *//p"'
[ "$window" -ge 169 ] || fail "xwayland: client area $window pixels wide"
grep -q '"127.0.0.2"' "$tmp/xwayland/remote.inf" || fail "xwayland: remote.inf not written"

# Native Wayland, where DISPLAY names an X server that is gone: the client falls back to
# Wayland, and the stored position, though off every screen, is kept byte for byte. (In the
# sanitizer builds, Qt's Wayland platform leaves allocations of libwayland-client and of a
# graphics module it has unloaded at exit: no leak check for that run.)
stored=$'-30000,-30000\r\n"127.0.0.2"\r\n#TRUE#\r\n'
run wayland 'kill -0 $pid && sleep 1 && echo running' DISPLAY=:999 \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
printf '%s' "$stored" >"$tmp/stored"
cmp -s "$tmp/stored" "$tmp/wayland/remote.inf" ||
    fail "wayland: remote.inf became $(cat -A "$tmp/wayland/remote.inf")"
echo "wayland: through Xwayland and native, as expected"
