# Helpers for the tests that drive the program from the shell; sourced.

# Runs a condition until it holds, at most SECONDS seconds.
#   wait_for SECONDS CONDITION
wait_for() {
    local limit=$(($1 * 10)) condition="$2"
    for ((i = 0; i < limit; i++)); do
        eval "$condition" && return 0
        sleep 0.1
    done
    echo "gave up waiting for: $condition"
    return 1
}

# Starts a private PulseAudio server in WORK_DIR with a null sink
# "sonafel_test" (44.1 kHz, mono unless CHANNELS says 2) as the default
# output; sets pulse_pid.
#   start_private_pulse WORK_DIR [CHANNELS]
start_private_pulse() {
    local channels="${2:-1}"
    export PULSE_RUNTIME_PATH="$1/pulse" PULSE_STATE_PATH="$1/pulse-state" HOME="$1"
    mkdir -p "$PULSE_RUNTIME_PATH"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr \
        -L module-native-protocol-unix \
        -L "module-null-sink sink_name=sonafel_test rate=44100 channels=$channels norewinds=1" 2>/dev/null &
    pulse_pid=$!
    wait_for 20 'pactl info >/dev/null 2>&1'
    pactl set-default-sink sonafel_test
}

# Stops the server that start_private_pulse started, by its process id, and
# fails unless it is gone.
stop_private_pulse() {
    [[ -n "${pulse_pid:-}" ]] || return 0
    kill -CONT "$pulse_pid" 2>/dev/null || true
    kill "$pulse_pid" 2>/dev/null || true
    wait_for 10 '! kill -0 "$pulse_pid" 2>/dev/null' || kill -KILL "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
    if kill -0 "$pulse_pid" 2>/dev/null; then
        echo "the PulseAudio server $pulse_pid is still running"
        return 1
    fi
    pulse_pid=
}

# Starts a private, headless PipeWire server (pipewire_test_server.conf:
# loudspeakers "Test loudspeakers", microphone "Test microphone") with
# WirePlumber to link streams, in WORK_DIR; needs a D-Bus session of its
# own (see in_private_dbus). Sets pipewire_pid and wireplumber_pid.
#   start_private_pipewire WORK_DIR
start_private_pipewire() {
    export XDG_RUNTIME_DIR="$1/run" HOME="$1"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    rm -f "$XDG_RUNTIME_DIR"/pipewire-0*  # left by a server killed before
    pipewire -c "$(dirname "${BASH_SOURCE[0]}")/pipewire_test_server.conf" > "$1/pipewire.log" 2>&1 &
    pipewire_pid=$!
    wait_for 20 '[[ -S "$XDG_RUNTIME_DIR/pipewire-0" ]]'
    wireplumber > "$1/wireplumber.log" 2>&1 &
    wireplumber_pid=$!
    wait_for 20 'pw-metadata 0 default.audio.source 2>/dev/null | grep -q sonafel_test_microphone'
}

# Stops what start_private_pipewire started.
stop_private_pipewire() {
    local pid
    for pid in ${wireplumber_pid:-} ${pipewire_pid:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    wireplumber_pid= pipewire_pid=
}

# Runs the calling script again in a D-Bus session of its own (WirePlumber
# needs one; the machine's must not be touched), unless it runs in one.
#   in_private_dbus "$0" "$@"
in_private_dbus() {
    [[ -n "${SONAFEL_PRIVATE_DBUS:-}" ]] && return 0
    SONAFEL_PRIVATE_DBUS=1 exec dbus-run-session -- "$@"
}
