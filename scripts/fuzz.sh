#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30); fails when one finds a crash.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build="${KELVARA_FUZZ_BUILD_DIR:-build-fuzz}"
fuzzers="base64_decode text_decrypt file_decrypt version_file settings_file signature_file"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVARA_BUILD_FUZZERS=ON -DKELVARA_BUILD_GUI=OFF -DKELVARA_BUILD_TESTS=OFF -DKELVARA_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer"
targets=""
for name in $fuzzers; do targets="$targets fuzz_$name"; done
# shellcheck disable=SC2086
cmake --build "$build" --parallel "$(nproc)" --target $targets

for name in $fuzzers; do
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    echo "== fuzzing $name for $seconds s"
    # A crash, a leak or a failed check makes the fuzzer exit non-zero and stops this script.
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crash-$name-" "$corpus"
done
echo "fuzzing passed: no crash in $seconds s per fuzzer"
