#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and nothing
# that is already there. With --recordings also what regenerating the
# bundled recordings needs, with --images what redrawing the icon and splash
# picture needs. Idempotent.
set -euo pipefail

packages=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev sox qt6-base-dev qt6-translations-l10n nlohmann-json3-dev libsndfile1-dev libsoxr-dev fonts-liberation portaudio19-dev
          pulseaudio pulseaudio-utils libasound2-plugins xvfb xauth xdotool x11-utils openbox imagemagick help2man
          desktop-file-utils appstream dpkg-dev file jackd2 libjack-jackd2-dev
          pipewire pipewire-bin pipewire-jack wireplumber dbus)
if [[ "${1:-}" == "--recordings" ]]; then
    packages+=(python3 espeak-ng fluidsynth fluid-soundfont-gm)
fi
if [[ "${1:-}" == "--images" ]]; then
    packages+=(python3 imagemagick fonts-liberation)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
