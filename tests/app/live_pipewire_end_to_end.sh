#!/usr/bin/env bash
# The live path through PipeWire as a desktop runs it: a private, headless
# server at a desktop's quantum, with both cores kept busy by background
# work. sonafel-live is started as a user would, with no devices named and
# no wrapper: it must take PipeWire's JACK library and the server's own
# microphone and loudspeakers by itself. pw-play plays a known file into
# the microphone; jack_rec records the microphone and sonafel-live's two
# output ports in step for 60 s. Each output channel must hold what the
# live path makes of the recorded input offline (the same level, and a
# correlation of at least 0.99 over the minute), with no over- or underrun. The
# latency from the microphone to the output ports found in the recording,
# plus the one server period in which the loudspeakers take the output, must
# be at most 10 ms, and the latency sonafel-live reports within 1 ms of it.
# (At the loudspeakers' monitor the delay found is the same, but on a
# virtual machine the null sink itself loses a period now and then at such
# short periods, loaded or not, so the output ports are recorded.) The
# window's live mode, through the same server, must show that figure in its
# notice.
#   live_pipewire_end_to_end.sh SONAFEL_LIVE COMPARE_SOUND RECORDINGS_DIR LIVE_BADGE_PROBE
set -euo pipefail
source "$(dirname "$(realpath "$0")")/test_helpers.sh"
in_private_dbus "$(realpath "$0")" "$@"
live="$(realpath "$1")" compare="$(realpath "$2")" recordings="$(realpath "$3")" badge="$(realpath "$4")"
work="$(mktemp -d)"
loads=()
cleanup() {
    local status=$?
    if (( status != 0 )); then
        echo "== the server's log"; tail -n 20 "$work/pipewire.log" 2>/dev/null || true
        echo "== the links"; pw-link -l 2>/dev/null || true
        echo "== jack_rec"; cat "$work/jack_rec.txt" 2>/dev/null || true
        echo "== sonafel-live"; cat "$work/live.txt" 2>/dev/null || true
    fi
    for busy in "${loads[@]}"; do kill "$busy" 2>/dev/null || true; done
    [[ -n "${player:-}" ]] && kill "$player" 2>/dev/null || true
    stop_private_pipewire
    rm -rf "$work"
}
trap cleanup EXIT

options=(--audiogram-left N2 --audiogram-right S2)
chain_ms=5.805  # the chain's own delay, 256 samples
# The known sound: the three recordings one after the other, 70 s that
# never repeat, so that the delay found is the one.
sox "$recordings/sprache.wav" "$recordings/music.wav" "$recordings/noise.wav" "$work/known.wav"
# The player and the recorder are the test's instruments, not what it
# tests: in real time where that is allowed, so that the busy cores do not
# make them lose periods (sonafel-live runs as a user starts it).
instrument=()
chrt -f 60 true 2>/dev/null && instrument=(chrt -f 60)
start_private_pipewire "$work"
for _ in 1 2; do nice -n 19 bash -c 'while :; do :; done' & loads+=($!); done

(cd "$recordings" && "$live" --seconds 70 "${options[@]}") > "$work/live.txt" 2>&1 &
running=$!
wait_for 20 'pw-link -i | grep -qx "PortAudio:in_0"'
"${instrument[@]}" pw-play "$work/known.wav" &
player=$!
# WirePlumber links a player to the loudspeakers: moved into the microphone.
wait_for 20 'pw-link -l | grep -qx "  |-> sonafel_test_speakers:playback_FR"'
wait_for 20 'pw-link -o | grep -qx "pw-play:output_FL"'
pw-link pw-play:output_FL sonafel_test_microphone:input_MONO
for side in FL FR; do pw-link -d "pw-play:output_$side" "sonafel_test_speakers:playback_$side"; done
"${instrument[@]}" pw-jack jack_rec -f "$work/recorded.wav" -d 60 -b 16 "Test microphone:capture_MONO" PortAudio:out_0 PortAudio:out_1 \
    > "$work/jack_rec.txt" 2>&1
wait "$running"
cat "$work/live.txt"
for busy in "${loads[@]}"; do kill "$busy"; done
loads=()

grep -q "^devices: Test microphone (PipeWire) in, Test loudspeakers (PipeWire) out$" "$work/live.txt" ||
    { echo "sonafel-live did not take PipeWire's own devices by itself"; exit 1; }
grep -q "^overruns: 0, underruns: 0$" "$work/live.txt" || { echo "the live path lost sound"; exit 1; }
reported="$(sed -n 's/^latency: \([0-9.]*\) ms.*/\1/p' "$work/live.txt")"
# What the live path makes of the input as recorded, offline, against the
# outputs as recorded. The delay found is the devices' part.
sox "$work/recorded.wav" -b 16 "$work/input.wav" remix 1
sox "$work/recorded.wav" -b 16 "$work/output.wav" remix 2 3
offline_from() {  # SHIFT SECONDS OUT: the recorded input run offline SHIFT samples later
    sox "$work/input.wav" "$work/shifted.wav" pad "${1}s" trim 0 "$2"
    (cd "$recordings" && "$live" --input-file "$work/shifted.wav" --output-file "$work/shifted-out.wav" \
        "${options[@]}") >/dev/null
    sox "$work/shifted-out.wav" "$3" trim "${1}s"
}
sox "$work/output.wav" "$work/output-20s.wav" trim 0 20
correlation_from() {  # SHIFT: the left channel's correlation over its first 14 s
    offline_from "$1" 15 "$work/probe.wav"
    { "$compare" "$work/output-20s.wav" "$work/probe.wav" 2 whole || true; } |
        sed -n 's/^left: .* stretches of 10 ms: correlation \([0-9.]*\),.*/\1/p'
}
# The frames' gains follow where the hops fall, and live, they fall where
# the stream began, which the recording does not show; some of the
# analyses also follow a cycle of four hops (the match repeats every 512
# samples). Off by half a hop the correlation is 0.993, off by whole hops 0.9998;
# in step the output is the same but for the dither. Within a hop it rises
# and falls with the shift like a cosine, so four shifts give the hop's
# phase, and four more the cycle's. The recorder, itself a client of the
# server, now and then loses a period of its own, in all its channels at
# once: from there on the hops fall 32 samples elsewhere in the recording,
# so the comparison takes each second from whichever of four renderings, a
# period apart, matches it best. A period lost by sonafel-live would put
# what follows out of step with its input, which no rendering matches.
c0="$(correlation_from 0)" c32="$(correlation_from 32)" c64="$(correlation_from 64)" c96="$(correlation_from 96)"
within_hop="$(awk -v a="$c0" -v b="$c32" -v c="$c64" -v d="$c96" \
    'BEGIN { s = 128 / (2 * 3.14159265) * atan2(b - d, a - c); printf "%d", (s < 0 ? s + 128 : s) + 0.5 }')"
best=-2 offset="$within_hop"
for hops in 0 1 2 3; do
    candidate=$(( within_hop + 128 * hops ))
    correlation="$(correlation_from "$candidate")"
    if awk -v c="$correlation" -v b="$best" 'BEGIN { exit !(c > b) }'; then
        best="$correlation" offset="$candidate"
    fi
done
echo "the live hops fall $offset samples into the recording's (correlation $best)"
renderings=()
for periods in 0 1 2 3; do
    offline_from $(( offset + 32 * periods )) 61 "$work/offline-$periods.wav"
    renderings+=("$work/offline-$periods.wav")
done
"$compare" "$work/output.wav" "${renderings[@]:0:1}" 2 whole "${renderings[@]:1}" | tee "$work/compared.txt"
devices_ms="$(sed -n 's/^left: delay \(-\?[0-9.]*\) ms.*/\1/p' "$work/compared.txt")"
period="$(sed -n 's/.*server.s \([0-9]*\)-sample periods.*/\1/p' "$work/live.txt")"
[[ -n "$period" ]] || { echo "sonafel-live did not say the server's period"; exit 1; }
measured="$(awk -v d="$devices_ms" -v c="$chain_ms" -v p="$period" 'BEGIN { printf "%.1f", d + c + 1000 * p / 44100 }')"
echo "measured from microphone to loudspeaker: $measured ms; reported: $reported ms"
awk -v m="$measured" 'BEGIN { exit !(m <= 10.0) }' || { echo "$measured ms is more than 10 ms"; exit 1; }
awk -v m="$measured" -v r="$reported" 'BEGIN { d = m - r; exit !(d <= 1.0 && d >= -1.0) }' ||
    { echo "the latency reported is not within 1 ms of the latency measured"; exit 1; }

(cd "$recordings" && XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen "$badge") | tee "$work/badge.txt"
shown="$(sed -n 's/^the view shows: Live · \([0-9]*\) ms$/\1/p' "$work/badge.txt")"
[[ "$shown" == "$(awk -v m="$measured" 'BEGIN { printf "%.0f", m }')" ]] ||
    { echo "the window shows ${shown:-no} ms, not the $measured ms measured"; exit 1; }
