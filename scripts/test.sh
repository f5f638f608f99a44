#!/bin/sh
# Builds Kelvara and runs every test (core, command-line tool, window, online parts).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
build="${KELVARA_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" "$@"
