#!/usr/bin/env bash
# Plays speech through the real sound device into a private PulseAudio server
# with a null sink, records the sink's monitor, and compares the recording
# with sonafel-render's output for the same settings.
#   sound_end_to_end.sh SONAFEL_PLAY SONAFEL_RENDER COMPARE_SOUND RECORDINGS_DIR
set -euo pipefail
play="$1" render="$2" compare="$3" recordings="$4"
work="$(mktemp -d)"
export PULSE_RUNTIME_PATH="$work/pulse" PULSE_STATE_PATH="$work/pulse-state" HOME="$work"
mkdir -p "$PULSE_RUNTIME_PATH"
cleanup() {
    [[ -n "${recorder:-}" ]] && kill "$recorder" 2>/dev/null || true
    pactl exit 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

pulseaudio -n --daemonize=yes --exit-idle-time=-1 --disallow-exit --log-target=stderr \
    -L module-native-protocol-unix \
    -L "module-null-sink sink_name=sonafel_test rate=44100 channels=1 norewinds=1" 2>/dev/null
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink sonafel_test

parec --device=sonafel_test.monitor --latency-msec=20 --rate=44100 --channels=1 --format=s16le \
    --file-format=wav "$work/recorded.wav" &
recorder=$!
sleep 0.5
(cd "$recordings" && QT_QPA_PLATFORM=offscreen "$play" --on speech --loudness 0.9 --seconds 5)
sleep 0.5
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=

(cd "$recordings" && "$render" --on speech --loudness 0.9 --seconds 8 "$work/rendered.wav")
"$compare" "$work/recorded.wav" "$work/rendered.wav"
