#!/usr/bin/env bash
# The client as a blind user hears it: the Orca screen reader in a D-Bus session with the
# accessibility bus, under Xvfb with openbox, and the device simulator. Every utterance is a
# "SPEECH OUTPUT:" line of Orca's debug log, which Orca writes to a terminal (script's), so each
# line is in the log as soon as it is said: each step waits for what it must bring about.
set -euo pipefail
client=$(readlink -f "$1")
device=$(readlink -f "$2")
command -v orca >/dev/null || { echo "orca is not installed"; exit 77; }
if [ -z "${ORCA_SESSION:-}" ]; then
    export ORCA_SESSION=1 HOME=$(mktemp -d)
    trap 'rm -rf "$HOME"' EXIT
    export XDG_RUNTIME_DIR=$HOME/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    exec xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96 -nolisten tcp' \
        dbus-run-session -- bash "$0" "$@"
fi
fail() {
    echo "FAIL: $*"
    grep -a 'SPEECH OUTPUT' "$log" | tail -n 30
    tail -n 5 "$HOME/device.log"
    exit 1
}
# Waits up to 30 s for a condition (a command) to hold.
until_true() {
    for _ in $(seq 300); do eval "$1" && return; sleep 0.1; done
    fail "waited in vain for: $1"
}
said() { grep -a -q -F "SPEECH OUTPUT: '$1'" "$log"; }
logged() { grep -q -F "$1" "$HOME/device.log"; }
log=$HOME/orca.log
pids=()
# Killed processes are waited for: the device may still be logging into $HOME.
trap '{ kill "${pids[@]}"; wait "${pids[@]}"; } 2>/dev/null || true; rm -rf "$HOME"' EXIT
until_true 'xprop -root >/dev/null 2>&1' # ready, also on a loaded machine
openbox --sm-disable & pids+=($!)
/usr/libexec/at-spi-bus-launcher --launch-immediately & pids+=($!)
until_true 'wmctrl -m >/dev/null 2>&1'
until_true 'dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true'
script -qfc 'exec orca --replace --debug-file=/dev/tty' "$log" </dev/null >/dev/null 2>&1 &
pids+=($!)
until_true "said 'Screen reader on.'"
pids+=($(pgrep -P "${pids[-1]}")) # Orca itself
mkfifo "$HOME/keys"
"$device" --dial-time 5000 <"$HOME/keys" >"$HOME/device.log" & pids+=($!)
exec 3>"$HOME/keys"
until_true 'logged listening'
cd "$HOME"
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >remote.inf
"$client" & pids+=($!)
until_true "said 'notification Line unlit, second channel unlit.'"
# Flat review, by keypad keys a button ignores should the key reach it too (as it may on a
# loaded machine): the strip's second line, then its first.
xdotool key KP_Page_Up
until_true "said 'Second channel unlit Multilink'"
xdotool key KP_Home
until_true "said 'Line unlit Connect 00:00:00'"
xdotool key space # Connect, from the keyboard: the device dials for 5 s; meanwhile a flood
until_true 'logged "02 02 00  connect"'
printf b >&3
until_true 'logged "flood on"'
until_true "said 'notification Line call being set up, second channel unlit.'"
printf b >&3
until_true "said 'notification Line lit, second channel unlit.'"
xdotool key Tab Tab space # the settings dialog
until_true "said 'OK push button.'"
xdotool key Tab
until_true "said 'Abbrechen push button.'"
xdotool key Tab
until_true "said 'Verbindungsdauer anzeigen check box checked.'"
xdotool key Tab
until_true "said 'Tembrill IP-Adresse: text.'"

# Each line said as often as expected, $1 times.
heard() {
    local n
    n=$(grep -a -c -F "SPEECH OUTPUT: '$2'" "$log") || true
    [ "$n" -eq "$1" ] || fail "said '$2' $n times, not $1"
}
heard 1 'Connect push button.'
grep -q -F 'in  127.0.0.1:9118 ff ff 02 02 00  connect' device.log || fail "no connect command"
# Flat review reads each lamp with its state.
heard 1 'Second channel unlit Multilink'
heard 1 'Line unlit Connect 00:00:00'
# With the focus on the strip, the device's answer, the line's call and the line coming up are
# said once each; the flood and the blinking lamp say nothing. ("No status yet" is said too
# when the first answer comes later than the link's settling time after start.)
heard 1 'notification Line unlit, second channel unlit.'
heard 1 'notification Line call being set up, second channel unlit.'
heard 1 'notification Line lit, second channel unlit.'
[ "$(grep -a "SPEECH OUTPUT: 'notification Line" "$log" | grep -c -v 'no status yet')" -eq 3 ] ||
    fail "more speech about the link"
# The settings dialog is read in German.
heard 1 'Tembrill Connect Einstellungen dialog Copyright © 2026 Tembrill Connect. Alle Rechte'\
' vorbehalten.'
heard 1 'OK push button.'
heard 1 'Abbrechen push button.'
heard 1 'Verbindungsdauer anzeigen check box checked.'
heard 1 'Tembrill IP-Adresse: text.'
echo "orca: the strip and the dialog are heard as expected"
