#!/usr/bin/env bash
# Plays speech for a listener whose ears differ (left 20, right 60 dB HL)
# through the real sound device into a private PulseAudio server with a
# stereo null sink, records both channels of the sink's monitor, and compares
# each with the same channel of sonafel-render's stereo output: the left ear
# must come out on the left, the right ear on the right.
#   sound_end_to_end_ears.sh SONAFEL_PLAY SONAFEL_RENDER COMPARE_SOUND RECORDINGS_DIR
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

cat > "$work/ears.json" <<'JSON'
{"A": {"audiogram_cfs": [125, 8000], "audiogram_levels_l": [20, 20], "audiogram_levels_r": [60, 60]}}
JSON
start_private_pulse "$work" 2
recorded="$work/recorded.wav"
parec --device=sonafel_test.monitor --latency-msec=20 --rate=44100 --channels=2 --format=s16le \
    --file-format=wav "$recorded" &
recorder=$!
bytes() { stat -c %s "$recorded" 2>/dev/null || echo 0; }
wait_for 20 '(( $(bytes) > 17640 ))'
options=(--on speech --level 110 --audiogram "$work/ears.json")
(cd "$recordings" && QT_QPA_PLATFORM=offscreen "$play" "${options[@]}" --seconds 5)
played=$(bytes)
wait_for 20 '(( $(bytes) > played + 88200 ))'
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=

(cd "$recordings" && "$render" "${options[@]}" --seconds 8 "$work/rendered.wav")
"$compare" "$recorded" "$work/rendered.wav" 2
stop_private_pulse
echo "the private PulseAudio server is gone"
