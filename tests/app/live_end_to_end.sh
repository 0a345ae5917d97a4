#!/usr/bin/env bash
# The live path through a real sound server: a private PulseAudio server
# plays a known file into a null sink whose monitor is the default input;
# sonafel-live runs live for 60 s (with --load, with both cores kept busy by
# background work), from that input to a second null sink (stereo), whose
# monitor is recorded. The recording must
# hold the live path's file-mode output for the same file, each channel
# (correlation at least 0.99, the same level). The latency and the over- and
# underruns are printed: PulseAudio reached through ALSA does not keep a
# loaded machine free of underruns (see the README).
#   live_end_to_end.sh SONAFEL_LIVE COMPARE_SOUND RECORDINGS_DIR [--load]
set -euo pipefail
live="$(realpath "$1")" compare="$(realpath "$2")" recordings="$(realpath "$3")" load="${4:-}"
source "$(dirname "$(realpath "$0")")/test_helpers.sh"
work="$(mktemp -d)"
loads=()
cleanup() {
    [[ -n "${recorder:-}" ]] && kill "$recorder" 2>/dev/null || true
    [[ -n "${player:-}" ]] && kill "$player" 2>/dev/null || true
    for busy in "${loads[@]}"; do kill "$busy" 2>/dev/null || true; done
    stop_private_pulse || true
    rm -rf "$work"
}
trap cleanup EXIT

# The known sound: the bundled speech, looping for 70 s.
sox "$recordings/sprache.wav" "$work/known.wav" repeat 2 trim 0 70
options=(--audiogram-left N2 --audiogram-right S2)
# PulseAudio through PortAudio's ALSA host API: at the lowest latency offered
# it underruns even unloaded; 20 ms each way keeps up.

start_private_pulse "$work" 2
pactl load-module module-null-sink sink_name=sonafel_mic rate=44100 channels=1 norewinds=1 >/dev/null
pactl set-default-source sonafel_mic.monitor
recorded="$work/recorded.wav"
parec --device=sonafel_test.monitor --latency-msec=20 --rate=44100 --channels=2 --format=s16le \
    --file-format=wav "$recorded" &
recorder=$!
# Both cores kept busy by background work, as a desktop's would be.
if [[ "$load" == --load ]]; then
    for _ in 1 2; do nice -n 19 bash -c 'while :; do :; done' & loads+=($!); done
fi
(cd "$recordings" && "$live" --seconds 60 --latency 20 "${options[@]}") > "$work/live.txt" &
running=$!
# The known sound starts once the live path runs, so that its first word
# is the first sound recorded.
sleep 2
paplay --device=sonafel_mic "$work/known.wav" &
player=$!
wait "$running"
cat "$work/live.txt"
for busy in "${loads[@]}"; do kill "$busy"; done
loads=()
kill "$recorder" "$player"
wait "$recorder" 2>/dev/null || true
recorder= player=

grep -q "overruns: " "$work/live.txt" || { echo "the live path reported nothing"; exit 1; }
# What the live path makes of the known sound, offline; its first 20 s
# against the recording.
(cd "$recordings" && "$live" --input-file "$work/known.wav" --output-file "$work/offline.wav" "${options[@]}")
sox "$work/offline.wav" "$work/offline-20s.wav" trim 0 20
"$compare" "$recorded" "$work/offline-20s.wav" 2
stop_private_pulse
echo "the private PulseAudio server is gone"
