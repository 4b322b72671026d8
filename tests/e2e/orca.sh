#!/usr/bin/env bash
# The client as a blind user hears it: the Orca screen reader in a D-Bus session with the
# accessibility bus, under Xvfb with openbox, and the device simulator. Every utterance is a
# "SPEECH OUTPUT:" line of Orca's debug log (written in blocks, so each check waits for it).
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
    exit 1
}
log=$HOME/orca.log
pids=()
# Killed processes are waited for: the device may still be logging into $HOME.
trap '{ kill "${pids[@]}"; wait "${pids[@]}"; } 2>/dev/null || true; rm -rf "$HOME"' EXIT
openbox --sm-disable & pids+=($!)
/usr/libexec/at-spi-bus-launcher --launch-immediately & pids+=($!)
sleep 1
orca --replace --debug-file="$log" >/dev/null 2>&1 &
orca=$!
sleep 5
mkfifo "$HOME/keys"
"$device" --dial-time 1500 <"$HOME/keys" >"$HOME/device.log" & pids+=($!)
exec 3>"$HOME/keys"
cd "$HOME"
printf '1380,2280\r\n"127.0.0.2"\r\n#TRUE#\r\n' >remote.inf
"$client" & pids+=($!)
sleep 6
xdotool key KP_Up # flat review: the strip's first line
sleep 1
xdotool key space # Connect, from the keyboard: the device dials for 1.5 s; meanwhile a flood
sleep 0.5
printf b >&3
sleep 1
printf b >&3
sleep 3
xdotool key Tab Tab space # the settings dialog
sleep 2
xdotool key Tab
sleep 1
xdotool key Tab
sleep 1
xdotool key Tab
sleep 1
kill -TERM "$orca" # Orca writes its log in blocks; all of it once it ends
wait "$orca" || true

# Each line said as often as expected, $1 times.
heard() {
    local n
    n=$(grep -a -c -F "SPEECH OUTPUT: '$2'" "$log") || true
    [ "$n" -eq "$1" ] || fail "said '$2' $n times, not $1"
}
heard 1 'Connect push button.'
grep -q -F 'in  127.0.0.1:9118 ff ff 02 02 00  connect' device.log || fail "no connect command"
# Flat review reads each lamp with its state.
heard 1 'Line unlit Connect 00:00:00'
# With the focus on the strip, the device's answer, the line's call and the line coming up are
# said once each (after "no status yet" at start); the flood and the blinking lamp say nothing.
heard 1 'notification Line unlit, second channel unlit.'
heard 1 'notification Line call being set up, second channel unlit.'
heard 1 'notification Line lit, second channel unlit.'
[ "$(grep -a -c "SPEECH OUTPUT: 'notification Line" "$log")" -eq 4 ] ||
    fail "more speech about the link"
# The settings dialog is read in German.
heard 1 'Tembrill Connect Einstellungen dialog Copyright © 2026 Tembrill Connect. Alle Rechte'\
' vorbehalten.'
heard 1 'OK push button.'
heard 1 'Abbrechen push button.'
heard 1 'Verbindungsdauer anzeigen check box checked.'
heard 1 'Tembrill IP-Adresse: text.'
echo "orca: the strip and the dialog are heard as expected"
