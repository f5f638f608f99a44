#!/bin/sh
# Builds Kelvara and starts the window (arguments go to the program).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
build="${KELVARA_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "$(nproc)" --target kelvara
exec "$build/src/app/kelvara" "$@"
