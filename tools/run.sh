#!/usr/bin/env bash
# Installs what is missing, builds, and renders a demonstration: speech in
# cafeteria noise as heard with a moderate loss of all three kinds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target sonafel-render

demo="$root/build/sonafel-demo.wav"
cd "$root/recordings"
"$root/build/tools/sonafel-render" --on speech,noise --loudness 0.8 --highfreq 0.45 --resolution 0.4 \
    --seconds 20 "$demo"
echo "Rendered $demo: speech in cafeteria noise through a moderate hearing loss."
echo "Listen with: play '$demo'  (sox), or any audio player."
