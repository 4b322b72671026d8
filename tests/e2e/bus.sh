#!/usr/bin/env bash
# The strip on a bus and runtime directory of its own, with openbox, the simulator, dbus-monitor
# on the bus: the control tool's menu action starts the strip through the menu launcher and
# connects once the device answers; a second start brings the minimized strip back, with its
# startup id, and ends with 0; the tool's Connect sends its button's datagram; the device
# dropping the line is notified, Hang up not.
set -euo pipefail
client=$(readlink -f "$1")
device=$(readlink -f "$2")
ctl=$(readlink -f "$3")
if [ -z "${BUS_SESSION:-}" ]; then
    export BUS_SESSION=1 HOME=$(mktemp -d)
    export XDG_RUNTIME_DIR=$HOME/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    exec xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96 -nolisten tcp' \
        dbus-run-session -- bash "$0" "$@"
fi
pids=()
trap '{ kill "${pids[@]}"; wait "${pids[@]}"; } 2>/dev/null || true; rm -rf "$HOME"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Up to 10 s for a condition: COMMAND...
wait_for() { for _ in $(seq 100); do "$@" && return; sleep 0.1; done; "$@"; }
app=com.example.TembrillConnect
strip() { gdbus call --session -d $app -o /com/example/TembrillConnect -m "$@"; }
line_is() { [ "$(strip org.freedesktop.DBus.Properties.Get ${app}1 Line)" = "(<'$1'>,)" ]; }
state_is() { xprop -id "$window" WM_STATE | grep -q "$1"; }

cd "$HOME"
wait_for xprop -root >/dev/null 2>&1 || fail "no X server" # ready, also on a loaded machine
openbox --sm-disable & pids+=($!)
dbus-monitor --session "interface='org.freedesktop.Notifications'" "member='Activate'" >bus.log &
pids+=($!)
mkfifo keys
"$device" --dial-time 300 <keys >device.log & pids+=($!)
exec 3>keys
wait_for wmctrl -m >/dev/null 2>&1 || fail "no window manager"
mkdir a b bin
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >a/remote.inf
# The menu launcher's stand-in starts the client in the menu's folder, a/.
printf '#!/bin/sh\ncd "%s/a" && exec "%s"\n' "$HOME" "$client" >bin/tembrill-connect-menu
chmod +x bin/tembrill-connect-menu
PATH=$HOME/bin:$PATH "$ctl" --from-menu connect || fail "the menu's Connect: $?"
[ "$(grep -c 'ff ff 02 02 00  connect' device.log)" -eq 1 ] || fail "no Connect from the menu"
pids+=("$(pgrep -n -f "^$client")") || fail "no client"
window=$(timeout 20 xdotool search --sync --all --pid "${pids[-1]}" --name '^Tembrill Connect$' |
    head -n 1) || fail "no window"
wait_for line_is up || fail "not connected from the menu"

# A second start, from another folder, restores the minimized strip and ends with 0.
wait_for state_is Normal || fail "not managed: $(xprop -id "$window" WM_STATE)"
xdotool windowminimize "$window"
wait_for state_is Iconic || fail "not minimized"
(cd b && DESKTOP_STARTUP_ID=strip_TIME1 timeout 20 "$client") || fail "second start: $?"
grep -A 6 member=Activate bus.log | grep -q '"strip_TIME1"' || fail "no startup id: $(cat bus.log)"
wait_for state_is Normal || fail "not restored"

# The device dropping the line is notified.
printf d >&3
wait_for grep -q member=Notify bus.log || fail "no notice"
grep -A 12 member=Notify bus.log | tr -d '\n' | grep -q '"Tembrill Connect"   uint32 0'\
'   string "com.example.TembrillConnect"   string "Line down".*"desktop-entry"' ||
    fail "not the notice of the line dropped: $(cat bus.log)"

# Hang up pressed on the strip says nothing: the next notice is that of a refused action.
wait_for line_is down || fail "not dropped"
"$ctl" connect || fail "the tool's Connect: $?"
[ "$(grep -c 'ff ff 02 02 00  connect' device.log)" -eq 2 ] || fail "Connect sent no datagram"
wait_for line_is up || fail "not connected again"
xdotool mousemove --window "$window" 84 9 click 1
wait_for line_is down || fail "not hung up"
strip org.freedesktop.Application.ActivateAction hang-up '[]' '{}' &&
    fail "hang-up acted on a line that is down"
wait_for grep -q '"Not hung up"' bus.log || fail "no notice of the refused action"
[ "$(grep -c member=Notify bus.log)" -eq 2 ] || fail "a notice too many: $(cat bus.log)"
echo "bus: one strip, a method, the notices as expected"
