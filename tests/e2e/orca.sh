#!/usr/bin/env bash
# The client as a blind user hears it: the Orca screen reader on the accessibility bus, with
# openbox and the simulator. Each utterance is a "SPEECH OUTPUT:" line of Orca's debug log,
# written to a terminal (script's) and so at once: each step waits for what it brings about.
set -euo pipefail
command -v orca >/dev/null || { echo "orca is not installed"; exit 77; }
bus=1
. "$(dirname "$0")/lib.sh"
on_fail='grep -a "SPEECH OUTPUT" orca.log | tail -n 30'
said() { grep -a -q -F "SPEECH OUTPUT: '$1'" orca.log; }
a11y_bus() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true
}
start_openbox
/usr/libexec/at-spi-bus-launcher --launch-immediately & pids+=($!)
wait_for a11y_bus
script -qfc 'exec orca --replace --debug-file=/dev/tty' orca.log </dev/null >/dev/null 2>&1 &
pids+=($!)
wait_for said 'Screen reader on.'
pids+=($(pgrep -P "${pids[-1]}")) # Orca itself
start_device --dial-time 5000
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >remote.inf
"$client" & pids+=($!)
wait_for said 'notification Line unlit, second channel unlit.'
# Flat review, by keypad keys a button ignores should the key reach it too (as it may on a
# loaded machine): the strip's second line, then its first, each lamp with its state.
xdotool key KP_Page_Up
wait_for said 'Second channel unlit Multilink'
xdotool key KP_Home
wait_for said 'Line unlit Connect 00:00:00'
xdotool key space # Connect, from the keyboard: the device dials for 5 s; meanwhile a flood
wait_for grep -q -F 'in  127.0.0.1:9118 ff ff 02 02 00  connect' device.log
printf b >&3
wait_for grep -q 'flood on' device.log
wait_for said 'notification Line call being set up, second channel unlit.'
printf b >&3
wait_for said 'notification Line lit, second channel unlit.'
xdotool key Tab Tab space # the settings dialog
wait_for said 'OK push button.'
xdotool key Tab
wait_for said 'Abbrechen push button.'
xdotool key Tab
wait_for said 'Verbindungsdauer anzeigen check box checked.'
xdotool key Tab
wait_for said 'Tembrill IP-Adresse: text.'

# Said exactly once.
once() { [ "$(grep -a -c -F "SPEECH OUTPUT: '$1'" orca.log)" -eq 1 ] || fail "not said once: $1"; }
once 'Connect push button.'
# With the focus on the strip, the device's answer, the line's call and the line coming up (each
# waited for above) are said once each; the flood and the blinking lamp say nothing. ("No
# status yet" is said too when the first answer comes later than the link's settling time. On a
# loaded machine Orca may say a notice twice as it shows; the client never shows one state twice.)
[ "$(grep -a -o "SPEECH OUTPUT: 'notification Line[^']*" orca.log | grep -v 'no status yet' |
    uniq | wc -l)" -eq 3 ] || fail "more speech about the link"
# The settings dialog is read in German.
once 'Tembrill Connect Einstellungen dialog Copyright © 2026 Tembrill Connect. Alle Rechte'\
' vorbehalten.'
once 'OK push button.'
once 'Abbrechen push button.'
once 'Verbindungsdauer anzeigen check box checked.'
once 'Tembrill IP-Adresse: text.'
echo "orca: the strip and the dialog are heard as expected"
