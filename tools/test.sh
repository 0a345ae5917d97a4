#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the suite, fuzzing
# runs of the WAV loader and the listener-file reader (FUZZ_SECONDS each,
# default 60), and the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/tools/install-deps.sh"

echo "== Build and test"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" -j"$jobs" --output-on-failure

echo "== Debian package"
(cd "$root/build" && rm -f sonafel_*.deb && cpack -G DEB >/dev/null)
package="$(ls "$root"/build/sonafel_*.deb)"
dpkg-deb -I "$package"
contents="$(dpkg-deb -c "$package" | awk '{print $6}')"
for file in ./usr/bin/sonafel ./usr/bin/sonafel-render ./usr/share/sonafel/sprache.wav ./usr/share/sonafel/music.wav \
            ./usr/share/sonafel/noise.wav ./usr/share/applications/sonafel.desktop \
            ./usr/share/metainfo/sonafel.metainfo.xml ./usr/share/icons/hicolor/48x48/apps/sonafel.png \
            ./usr/share/man/man1/sonafel.1 ./usr/share/man/man1/sonafel-render.1; do
    grep -qxF "$file" <<<"$contents" || { echo "the package lacks $file"; exit 1; }
done
depends="$(dpkg-deb -f "$package" Depends)"
for library in libqt6widgets6 libportaudio2 qt6-qpa-plugins qt6-translations-l10n; do
    grep -q "$library" <<<"$depends" || { echo "the package does not depend on $library"; exit 1; }
done
# On CI, as root: the package installs, works from any folder, and goes again.
if [[ "${CI:-}" == true && $(id -u) -eq 0 ]] && ! dpkg-query -W sonafel >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
    (cd "$(mktemp -d)" && sonafel --version && sonafel-render --seconds 1 check.wav)
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq sonafel >/dev/null
    [[ ! -e /usr/bin/sonafel && ! -e /usr/share/sonafel ]] || { echo "apt-get remove left files behind"; exit 1; }
    echo "installed with apt-get, ran, removed cleanly"
fi

echo "== Fuzz the WAV loader and the listener-file reader for ${FUZZ_SECONDS:-60} s each"
cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSONAFEL_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-fuzz" -j"$jobs" --target load_wave_fuzzer listener_file_fuzzer
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# fuzz NAME CORPUS MIN_EDGES: runs a fuzzer from a copy of its corpus, prints
# the coverage reached and fails below MIN_EDGES. The code under test is
# instrumented, so the edges counted are its own (a target alone has about 10).
fuzz() {
    local name="$1" corpus="$2" least="$3"
    mkdir "$work/$name"
    cp "$corpus"/* "$work/$name/"
    if ! (cd "$work" && "$root/build-fuzz/$name" -max_total_time="${FUZZ_SECONDS:-60}" \
            -print_final_stats=1 "$name" >"$name.log" 2>&1); then
        tail -60 "$work/$name.log"
        exit 1
    fi
    echo "$name:"
    grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$work/$name.log"
    grep -E '^stat::number_of_executed_units' "$work/$name.log"
    local edges
    edges=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/$name.log" | sed -E 's/.* cov: ([0-9]+).*/\1/')
    if (( ${edges:-0} < least )); then
        echo "$name reached only ${edges:-0} coverage edges: is the code under test instrumented?"
        exit 1
    fi
}
fuzz load_wave_fuzzer "$root/tests/audio/load_wave_corpus" 60
fuzz listener_file_fuzzer "$root/tests/hearing/listener_file_corpus" 800

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DSONAFEL_SANITIZE=ON >/dev/null
cmake --build "$root/build-sanitize" -j"$jobs"
ctest --test-dir "$root/build-sanitize" -j"$jobs" --output-on-failure
