#!/usr/bin/env bash
# Regenerates sprache.wav, music.wav and noise.wav from Debian packages.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/../tools/install-deps.sh" --recordings
python3 "$here/make_recordings.py"
