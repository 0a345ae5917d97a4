#!/usr/bin/env bash
# Prints, for the ear model's comparison with the field's reference model,
# each one-third-octave band's level (250 Hz to 8 kHz) of pink noise and of
# the bundled speech, both presented at 65 dB SPL, through each audiogram
# given, with recruitment on, in dB re the same render through normal ears
# (so the chain's own 0.7 dB and the stimulus's spectrum drop out).
#   tools/ear-model-bands.sh RENDER AUDIOGRAM...
# RENDER is a build's sonafel-render; AUDIOGRAM is "flat50" or anything
# --audiogram takes (its left ear is heard). Needs sox.
set -euo pipefail
if [ $# -lt 2 ] || [ ! -x "$1" ]; then
    echo "usage: $0 RENDER AUDIOGRAM... (RENDER: a build's sonafel-render)" >&2
    exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
render="$(realpath "$1")"
shift
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Pink noise from 20 Hz to 20 kHz, the same every run.
sox -R -n -r 44100 -b 16 -c 1 "$work/pink.wav" synth 8 pinknoise sinc 20-20000 norm -1
# Flat 50 dB HL, the loss the reference's band levels are published for.
printf '{"flat 50": {"audiogram_cfs": [125, 8000], "audiogram_levels_l": [50, 50], "audiogram_levels_r": [50, 50]}}' \
    >"$work/flat50.json"
cd "$root/recordings"  # the render reads every recording, though only one plays
stimuli=("pink noise:$work/pink.wav" "speech:$root/recordings/sprache.wav")
centres=(250 315 400 500 630 800 1000 1250 1600 2000 2500 3150 4000 5000 6300 8000)

band_rms()  # FILE LOW HIGH: RMS in dB FS after the first second
{
    # sinc's default length leaves a band at 250 Hz open from 100 to 400 Hz;
    # 16384 taps make its skirts a few hertz wide.
    sox "$1" -n sinc -n 16384 "$2-$3" trim 1 stats 2>&1 | awk '/RMS lev dB/ {print $4}'
}

printf '| audiogram | stimulus |'
printf ' %s |' "${centres[@]}"
printf '\n|---|---|'
printf -- '---|%.0s' "${centres[@]}"
printf '\n'
for audiogram in "$@"; do
    for stimulus in "${stimuli[@]}"; do
        name="${stimulus%%:*}"
        file="${stimulus#*:}"
        loss="$audiogram"
        [ "$loss" = flat50 ] && loss="$work/flat50.json"
        common=(--speech "$file" --on speech --speech-level 65 --audiogram "$loss" --ears left --float
                --seconds 8)
        "$render" "${common[@]}" "$work/impaired.wav" >/dev/null
        "$render" "${common[@]}" --normal "$work/normal.wav" >/dev/null
        printf '| %s | %s |' "$audiogram" "$name"
        for centre in "${centres[@]}"; do
            low=$(awk -v f="$centre" 'BEGIN {printf "%d", f / 2 ^ (1 / 6) + 0.5}')
            high=$(awk -v f="$centre" 'BEGIN {printf "%d", f * 2 ^ (1 / 6) + 0.5}')
            impaired=$(band_rms "$work/impaired.wav" "$low" "$high")
            normal=$(band_rms "$work/normal.wav" "$low" "$high")
            printf ' %.1f |' "$(awk -v a="$impaired" -v n="$normal" 'BEGIN {print a - n}')"
        done
        printf '\n'
    done
done
