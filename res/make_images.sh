#!/usr/bin/env bash
# Redraws res/sonafel.ico and res/splash.bmp.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/../tools/install-deps.sh" --images
python3 "$here/make_images.py"
