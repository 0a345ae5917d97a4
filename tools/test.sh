#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the suite, a fuzzing
# run of the WAV loader (FUZZ_SECONDS, default 60), and the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/tools/install-deps.sh"

echo "== Build and test"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" -j"$jobs" --output-on-failure

echo "== Fuzz the WAV loader for ${FUZZ_SECONDS:-60} s"
cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSONAFEL_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-fuzz" -j"$jobs" --target load_wave_fuzzer
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
cp "$root"/tests/audio/load_wave_corpus/* "$work/corpus/"
if ! (cd "$work" && "$root/build-fuzz/load_wave_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" \
        -print_final_stats=1 corpus >fuzz.log 2>&1); then
    tail -60 "$work/fuzz.log"
    exit 1
fi
# The coverage reached: the loader is instrumented, so the edges counted are
# its own (the target alone has about 10).
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$work/fuzz.log"
grep -E '^stat::number_of_executed_units' "$work/fuzz.log"
edges=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/fuzz.log" | sed -E 's/.* cov: ([0-9]+).*/\1/')
if (( ${edges:-0} < 60 )); then
    echo "the fuzzer reached only ${edges:-0} coverage edges: is the loader instrumented?"
    exit 1
fi

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DSONAFEL_SANITIZE=ON >/dev/null
cmake --build "$root/build-sanitize" -j"$jobs"
ctest --test-dir "$root/build-sanitize" -j"$jobs" --output-on-failure
