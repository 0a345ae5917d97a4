#!/usr/bin/env bash
# Plays speech through the real sound device into a private PulseAudio server
# with a null sink, records the sink's monitor, and compares the recording
# with sonafel-render's output for the same settings. The server is stopped
# by its process id at the end, and must be gone.
#   sound_end_to_end.sh SONAFEL_PLAY SONAFEL_RENDER COMPARE_SOUND RECORDINGS_DIR
set -euo pipefail
play="$1" render="$2" compare="$3" recordings="$4"
source "$(dirname "$(realpath "$0")")/test_helpers.sh"
work="$(mktemp -d)"
cleanup() {
    [[ -n "${recorder:-}" ]] && kill "$recorder" 2>/dev/null || true
    stop_private_pulse || true
    rm -rf "$work"
}
trap cleanup EXIT

start_private_pulse "$work"
recorded="$work/recorded.wav"
parec --device=sonafel_test.monitor --latency-msec=20 --rate=44100 --channels=1 --format=s16le \
    --file-format=wav "$recorded" &
recorder=$!
bytes() { stat -c %s "$recorded" 2>/dev/null || echo 0; }
# A tenth of a second recorded: the recorder runs.
wait_for 20 '(( $(bytes) > 8820 ))'
(cd "$recordings" && QT_QPA_PLATFORM=offscreen "$play" --on speech --loudness 0.9 --seconds 5)
# Half a second more recorded: the end of the sound has passed the sink.
played=$(bytes)
wait_for 20 '(( $(bytes) > played + 44100 ))'
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=

(cd "$recordings" && "$render" --on speech --loudness 0.9 --seconds 8 "$work/rendered.wav")
"$compare" "$recorded" "$work/rendered.wav"
stop_private_pulse
echo "the private PulseAudio server is gone"
