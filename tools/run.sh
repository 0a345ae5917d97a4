#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demonstrator with the
# bundled recordings (it reads them from its current directory).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target sonafel

cd "$root/recordings"
exec "$root/build/app/sonafel" "$@"
