# Sourced by the end-to-end scripts, whose arguments are the client, the device simulator and
# the control tool. The script runs again in a temporary HOME, its current directory, under Xvfb
# at 96 dpi (15 twips a pixel) unless no_xvfb is set, in a session bus of its own if bus is set.
# The processes in pids are ended and waited for when it exits.
unset QT_QPA_PLATFORM
if [ -z "${E2E_HOME:-}" ]; then
    export E2E_HOME=1 HOME=$(mktemp -d)
    export XDG_RUNTIME_DIR=$HOME/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    [ -n "${no_xvfb:-}" ] || exec xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96 -noreset' \
        ${bus:+dbus-run-session --} bash "$0" "$@"
fi
client=$(readlink -f "$1")
device=$(readlink -f "$2")
ctl=$(readlink -f "$3")
pids=()
# Killed processes are waited for: the device may still be logging into $HOME.
trap '{ kill "${pids[@]}"; wait "${pids[@]}"; } 2>/dev/null || true; rm -rf "$HOME"' EXIT
cd "$HOME"

# Says why, and what the script's on_fail command and the device's log show.
fail() {
    echo "FAIL: $*"
    eval "${on_fail:-}" || true
    [ ! -f device.log ] || tail -n 5 device.log
    exit 1
}

# Up to 30 s for COMMAND... to succeed, its output unseen; else the script fails.
wait_for() {
    for _ in $(seq 300); do
        "$@" >/dev/null 2>&1 && return
        sleep 0.1
    done
    fail "waited in vain for: $*"
}

# openbox, once the X server answers: on a loaded machine it may not yet.
start_openbox() {
    wait_for xprop -root
    openbox --sm-disable &
    pids+=($!)
    wait_for wmctrl -m
}

# The simulator with OPTIONS..., its keys written to fd 3, its log in device.log.
start_device() {
    mkfifo keys
    "$device" "$@" <keys >device.log &
    pids+=($!)
    exec 3>keys
    wait_for grep -q listening device.log
}

# The top-level window of the client PID.
window_of() {
    timeout 20 xdotool search --sync --all --pid "$1" --name '^Tembrill Connect$' | head -n 1
}
