#!/usr/bin/env bash
# The strip on the session bus: a bus and a runtime directory of its own, Xvfb with openbox,
# the device simulator, and dbus-monitor in place of a notification service. A second start
# from another folder brings the minimized strip back and ends with 0; a method sends its
# button's datagram; the line dropped by the device is notified, a Hang up pressed is not.
set -euo pipefail
client=$(readlink -f "$1")
device=$(readlink -f "$2")
if [ -z "${BUS_SESSION:-}" ]; then
    export BUS_SESSION=1 HOME=$(mktemp -d)
    export XDG_RUNTIME_DIR=$HOME/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    exec xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96 -nolisten tcp' \
        dbus-run-session -- bash "$0" "$@"
fi
pids=()
trap '{ kill "${pids[@]}"; wait "${pids[@]}"; } 2>/dev/null || true; rm -rf "$HOME"' EXIT
fail() {
    echo "FAIL: $*"
    cat "$HOME/device.log"
    exit 1
}
ctl=(com.example.TembrillConnect /com/example/TembrillConnect com.example.TembrillConnect1)
prop() { busctl --user get-property "${ctl[@]}" "$1" 2>&1; }
until_prop() { # NAME VALUE
    for _ in $(seq 100); do [ "$(prop "$1")" = "$2" ] && return; sleep 0.1; done
    fail "$1 is $(prop "$1"), not $2"
}
notices() { grep -c 'member=Notify' "$HOME/notify.log" || true; }

cd "$HOME"
openbox --sm-disable & pids+=($!)
dbus-monitor --session "interface='org.freedesktop.Notifications'" >notify.log & pids+=($!)
mkfifo keys
"$device" --dial-time 300 <keys >device.log & pids+=($!)
exec 3>keys
mkdir a b
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >a/remote.inf
(cd a && exec "$client") & pids+=($!)
window=$(timeout 20 xdotool search --sync --all --pid "${pids[-1]}" --name '^Tembrill Connect$' |
    head -n 1) || fail "no window"
until_prop CanConnect 'b true'

# A second start, from another folder, restores the minimized strip and ends with 0.
xdotool windowminimize "$window"
for _ in $(seq 50); do xprop -id "$window" WM_STATE | grep -q Iconic && break; sleep 0.1; done
xprop -id "$window" WM_STATE | grep -q Iconic || fail "not minimized"
(cd b && timeout 20 "$client") || fail "the second start ended with $?"
for _ in $(seq 50); do xprop -id "$window" WM_STATE | grep -q Normal && break; sleep 0.1; done
xprop -id "$window" WM_STATE | grep -q Normal || fail "not restored"
echo "PASS: a second start brings the strip back"

# A method sends the button's datagram; the device dropping the line is notified.
busctl --user call "${ctl[@]}" Connect || fail "Connect refused"
until_prop Line 's "up"'
[ "$(grep -c 'ff ff 02 02 00  connect' device.log)" -eq 1 ] || fail "Connect sent no datagram"
printf d >&3
until_prop Line 's "down"'
for _ in $(seq 50); do [ "$(notices)" -ge 1 ] && break; sleep 0.1; done
grep -A 12 member=Notify notify.log | tr -d '\n' | grep -q '"Tembrill Connect"   uint32 0'\
'   string "com.example.TembrillConnect"   string "Line down".*"desktop-entry"' ||
    fail "no notice of the line dropped: $(cat notify.log)"
echo "PASS: a method sends, the line dropped is notified"

# Hang up pressed on the strip says nothing; the next drop by the device is the second notice.
busctl --user call "${ctl[@]}" Connect
until_prop Line 's "up"'
xdotool mousemove --window "$window" 84 9 click 1
until_prop Line 's "down"'
grep -q 'ff ff 03 03 00  hang up' device.log || fail "Hang up was not pressed"
busctl --user call "${ctl[@]}" Connect
until_prop Line 's "up"'
printf d >&3
for _ in $(seq 50); do [ "$(notices)" -ge 2 ] && break; sleep 0.1; done
[ "$(notices)" -eq 2 ] || fail "$(notices) notices, not 2: $(cat notify.log)"
echo "PASS: Hang up pressed is not notified"
