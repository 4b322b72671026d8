#!/usr/bin/env bash
# The real strip and its control tool on a session bus of their own, with openbox, the simulator
# and dbus-monitor: the menu's Connect, a second start, the tool's Connect, and the notices.
set -euo pipefail
bus=1
. "$(dirname "$0")/lib.sh"
app=com.example.TembrillConnect
strip() { gdbus call --session -d $app -o /com/example/TembrillConnect -m "$@"; }
line_is() { [ "$(strip org.freedesktop.DBus.Properties.Get ${app}1 Line)" = "(<'$1'>,)" ]; }
state_is() { xprop -id "$window" WM_STATE | grep -q "$1"; }

start_openbox
dbus-monitor --session "interface='org.freedesktop.Notifications'" "member='Activate'" >bus.log &
pids+=($!)
start_device --dial-time 300
mkdir a b bin
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >a/remote.inf
# The menu's Connect starts the strip through the launcher, whose stand-in starts it in a/, and
# connects once the device answers.
printf '#!/bin/sh\ncd "%s/a" && exec "%s"\n' "$HOME" "$client" >bin/tembrill-connect-menu
chmod +x bin/tembrill-connect-menu
PATH=$HOME/bin:$PATH "$ctl" --from-menu connect || fail "the menu's Connect: $?"
[ "$(grep -c 'ff ff 02 02 00  connect' device.log)" -eq 1 ] || fail "no Connect from the menu"
pids+=("$(pgrep -n -f "^$client")") || fail "no client"
window=$(window_of "${pids[-1]}") || fail "no window"
wait_for line_is up

# A second start, from another folder, restores the minimized strip and ends with 0.
wait_for state_is Normal
xdotool windowminimize "$window"
wait_for state_is Iconic
(cd b && DESKTOP_STARTUP_ID=strip_TIME1 timeout 20 "$client") || fail "second start: $?"
grep -A 1 '"desktop-startup-id"' bus.log | grep -q '"strip_TIME1"' || fail "no startup id"
wait_for state_is Normal

# The device dropping the line is notified.
printf d >&3
wait_for grep -q member=Notify bus.log
grep -A 12 member=Notify bus.log | tr -d '\n' | grep -q '"Tembrill Connect"   uint32 0'\
'   string "com.example.TembrillConnect"   string "Line down".*"desktop-entry"' ||
    fail "not the notice of the line dropped: $(cat bus.log)"

# Hang up pressed on the strip says nothing: the next notice is that of a refused action.
wait_for line_is down
"$ctl" connect || fail "the tool's Connect: $?"
[ "$(grep -c 'ff ff 02 02 00  connect' device.log)" -eq 2 ] || fail "Connect sent no datagram"
wait_for line_is up
xdotool mousemove --window "$window" 84 9 click 1
wait_for line_is down
strip org.freedesktop.Application.ActivateAction hang-up '[]' '{}' &&
    fail "hang-up acted on a line that is down"
wait_for grep -q '"Not hung up"' bus.log
[ "$(grep -c member=Notify bus.log)" -eq 2 ] || fail "a notice too many: $(cat bus.log)"
echo "bus: one strip, a method, the notices as expected"
