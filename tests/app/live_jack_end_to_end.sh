#!/usr/bin/env bash
# The live path through a sound server that offers small buffers: a private
# JACK server (its dummy driver, 128 frames a period at 44100 Hz) with both
# cores kept busy by background work. sox plays a known file into
# sonafel-live's input (through ALSA's JACK plugin); jack_rec records that
# input and both output channels in step for 60 s. Each output channel must
# hold what the live path makes of the recorded input offline (correlation at
# least 0.99, the same level); the delay found is the live path's within the
# server beyond the chain's own, and sonafel-live must report at most 20 ms
# from input to output in all. The over- and underruns are printed, with the
# late periods the server itself logged: its dummy driver counts every timer
# that fires late, which a virtual machine's does now and then.
#   live_jack_end_to_end.sh SONAFEL_LIVE COMPARE_SOUND RECORDINGS_DIR
set -euo pipefail
live="$(realpath "$1")" compare="$(realpath "$2")" recordings="$(realpath "$3")"
source "$(dirname "$(realpath "$0")")/test_helpers.sh"
work="$(mktemp -d)"
export HOME="$work" JACK_DEFAULT_SERVER="sonafel-test-$$"
pids=()
loads=()
cleanup() {
    local status=$?
    # On a failure, what the server and the live path said, for the reason.
    if (( status != 0 )); then
        echo "== the JACK server's log"; tail -n 20 "$work/jackd.log" 2>/dev/null || true
        echo "== sonafel-live"; cat "$work/live.txt" 2>/dev/null || true
    fi
    for busy in "${loads[@]}"; do kill "$busy" 2>/dev/null || true; done
    # sox waits in ALSA's JACK plugin for a server gone, deaf to SIGTERM.
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    [[ -n "${server:-}" ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

readonly jack="JACK Audio Connection Kit: system"
options=(--audiogram-left N2 --audiogram-right S2)
# The known sound: the bundled speech, looping for 75 s.
sox "$recordings/sprache.wav" "$work/known.wav" repeat 2 trim 0 75
# ALSA's JACK plugin (float samples, hence the plug before it), for sox to
# play into the live path's input.
cat > "$work/.asoundrc" <<'ALSA'
pcm.sonafel_source {
    type plug
    slave.pcm sonafel_jack
}
pcm.sonafel_jack {
    type jack
    playback_ports { 0 PortAudio:in_0 }
}
ALSA

jackd -R -d dummy -r 44100 -p 128 > "$work/jackd.log" 2>&1 &
server=$!
wait_for 20 'jack_lsp >/dev/null 2>&1'
for _ in 1 2; do nice -n 19 bash -c 'while :; do :; done' & loads+=($!); done

(cd "$recordings" && "$live" --seconds 70 --input-device "$jack" --output-device "$jack" "${options[@]}") \
    > "$work/live.txt" 2>&1 &
running=$!
wait_for 20 'jack_lsp | grep -qx PortAudio:in_0'
# Only the known sound reaches the input.
jack_disconnect system:capture_1 PortAudio:in_0
sox -q "$work/known.wav" -t alsa sonafel_source &
pids+=($!)
wait_for 20 '[[ -n "$(jack_lsp -c PortAudio:in_0 | sed -n "2s/^ *//p")" ]]'
source_port="$(jack_lsp -c PortAudio:in_0 | sed -n '2s/^ *//p')"
echo "the known sound comes from $source_port"
jack_rec -f "$work/recorded.wav" -d 60 -b 16 "$source_port" PortAudio:out_0 PortAudio:out_1 > /dev/null
wait "$running"
cat "$work/live.txt"
kill -KILL "${pids[@]}"
wait "${pids[@]}" 2>/dev/null || true
pids=()
for busy in "${loads[@]}"; do kill "$busy"; done
loads=()

grep -q "^overruns: " "$work/live.txt" || { echo "the live path reported nothing"; exit 1; }
echo "late periods the JACK server logged: $(grep -c 'XRun' "$work/jackd.log" || true)"
total="$(sed -n 's/^latency: \([0-9.]*\) ms.*/\1/p' "$work/live.txt")"
awk -v t="$total" 'BEGIN { exit !(t <= 20.0) }' || { echo "$total ms is more than 20 ms"; exit 1; }
# What the live path makes of the input as recorded, offline; its first 20 s
# against the outputs as recorded.
sox "$work/recorded.wav" -b 16 "$work/input.wav" remix 1
sox "$work/recorded.wav" -b 16 "$work/output.wav" remix 2 3
(cd "$recordings" && "$live" --input-file "$work/input.wav" --output-file "$work/offline.wav" "${options[@]}")
sox "$work/offline.wav" "$work/offline-20s.wav" trim 0 20
"$compare" "$work/output.wav" "$work/offline-20s.wav" 2
kill "$server"
wait "$server" 2>/dev/null || true
server=
echo "the private JACK server is gone"
