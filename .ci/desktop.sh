#!/usr/bin/env bash
# Runs a command inside a private headless desktop and takes the desktop down
# again, however the command ends:
#   - a session bus with no service activation (nothing can start behind our back),
#   - Xvfb with XTEST on the first free display,
#   - openbox (sets _NET_ACTIVE_WINDOW) and trayer (an XEmbed system tray),
#   - PulseAudio whose default source "fifo_mic" reads float32le 16 kHz mono
#     from the pipe $QEL_MIC_FIFO, a second real source "virtmic" (fed by playing
#     to the sink "micsink") and a null default sink "speaker".
# Exports DISPLAY, DBUS_SESSION_BUS_ADDRESS, PULSE_SERVER, QEL_MIC_FIFO and a
# private XDG_RUNTIME_DIR. Every process started here carries QEL_DESKTOP_RUN in
# its environment; whatever is still running when the command ends is stopped
# and named on standard error. Usage: .ci/desktop.sh COMMAND [ARGS...]
set -uo pipefail
[[ $# -gt 0 ]] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }

run=$(mktemp -d "${TMPDIR:-/tmp}/qel-desktop.XXXXXX")
export QEL_DESKTOP_RUN=$run
pids=()
command_pid=""

log() { echo "[desktop] $*" >&2; }

# Started so that it dies with this script even when the script is killed outright.
start() {
    setpriv --pdeathsig TERM -- "$@" &
    pids+=($!)
}

# The processes (other than this script) whose environment carries this run's marker.
marked_processes() {
    local entry pid variable
    for entry in /proc/[0-9]*/environ; do
        pid=${entry#/proc/}; pid=${pid%/environ}
        [[ $pid == "$$" ]] && continue
        {
            while IFS= read -r -d '' variable; do
                [[ $variable == "QEL_DESKTOP_RUN=$run" ]] && { echo "$pid"; break; }
            done <"$entry"
        } 2>/dev/null
    done
}

cleanup() {
    trap '' INT TERM
    [[ -n $command_pid ]] && kill "$command_pid" 2>/dev/null
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    # Reap our children: a container's PID 1 may not, and zombies would stay.
    for pid in "${pids[@]}" $command_pid; do wait "$pid" 2>/dev/null; done
    local leftovers
    leftovers=$(marked_processes)
    if [[ -n $leftovers ]]; then
        for pid in $leftovers; do log "stopping a process the command left behind: $pid $(cat /proc/"$pid"/cmdline 2>/dev/null | tr '\0' ' ')"; done
        kill $leftovers 2>/dev/null
        sleep 0.5
        kill -KILL $(marked_processes) 2>/dev/null
    fi
    rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds=$1; shift
    for ((i = 0; i < seconds * 20; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    log "gave up waiting for: $*"
    return 1
}

fail() {
    log "$1; its log follows"
    cat "$2" >&2
    exit 1
}

# The bus, the X server and the sound server start side by side; the window
# manager and the tray need the X server.
cat >"$run/bus.conf" <<BUS
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$run/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
start dbus-daemon --config-file="$run/bus.conf" --nofork --nopidfile >"$run/dbus.log" 2>&1

exec 3>"$run/display"
start Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp +extension XTEST >"$run/xvfb.log" 2>&1
exec 3>&-

mkdir -p "$run/pulse/runtime" "$run/pulse/home"
chmod 700 "$run/pulse/runtime"
cat >"$run/pulse/desktop.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$run/pulse/native
load-module module-null-sink sink_name=speaker
load-module module-pipe-source source_name=fifo_mic file=$run/pulse/mic.fifo format=float32le rate=16000 channels=1
load-module module-null-sink sink_name=micsink format=float32le rate=16000 channels=1
load-module module-remap-source master=micsink.monitor source_name=virtmic
set-default-source fifo_mic
set-default-sink speaker
PA
XDG_RUNTIME_DIR="$run/pulse/runtime" HOME="$run/pulse/home" \
    start pulseaudio -n -F "$run/pulse/desktop.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    >"$run/pulse.log" 2>&1

# Set before anything else starts, so that nothing autolaunches a stray bus.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$run/bus"
export PULSE_SERVER="unix:$run/pulse/native" QEL_MIC_FIFO="$run/pulse/mic.fifo"
wait_for 5 test -S "$run/bus" || fail "the session bus did not start" "$run/dbus.log"
wait_for 10 test -s "$run/display" || fail "Xvfb did not start" "$run/xvfb.log"
export DISPLAY=":$(head -1 "$run/display")"

start openbox --sm-disable >"$run/openbox.log" 2>&1
start trayer --edge top --align right --widthtype request --height 24 --SetDockType true >"$run/trayer.log" 2>&1
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "openbox did not start" "$run/openbox.log"
wait_for 10 xdotool search --classname panel || fail "trayer did not start" "$run/trayer.log"
wait_for 10 pactl info || fail "PulseAudio did not start" "$run/pulse.log"

export XDG_RUNTIME_DIR="$run/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
log "ready in ${SECONDS} s: DISPLAY=$DISPLAY PULSE_SERVER=$PULSE_SERVER"

# In the background, so that a signal to this script is handled at once; the
# command keeps this script's standard input.
setpriv --pdeathsig TERM -- "$@" <&0 &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
exit "$status"
