#!/bin/sh
# Builds the core, the command-line tool and the window's tests with ThreadSanitizer and runs the tests whose
# code runs on several threads: folder runs with several workers, batched flushes, chunks decrypted on helper
# threads (alone and through the file routines), the command-line tool's folder runs, and the window's runs in the
# background. Any report fails the run.
# Usage: scripts/thread-sanitizer.sh [BUILD-DIR] (default build-tsan).
set -eu
cd "$(dirname "$0")/.."
build="${1:-build-tsan}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_SANITIZE_THREADS=ON -DKELVARA_WERROR=ON \
    -DKELVARA_BUILD_BENCHMARKS=OFF
cmake --build "$build" --parallel "$(nproc)" --target kelvara_operations_tests kelvara-cli kelvara_cli_tests \
    kelvara_main_window_actions_test
# tests/thread-sanitizer.supp names what TSan cannot judge inside Debian's Qt, which is not built for it.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(pwd)/tests/thread-sanitizer.supp" \
    ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --no-tests=error \
    -R '^(FolderRun|ChunkFailures|HelperThreadsLimit|AroundTheChunkSize/ChunkSizes|SizesAndPasswords/FileFormat|EveryWay/FlushWays|EveryBatchedWay/BatchFailure)\.|^HostilePaths\.FolderRun|^Cli\.FolderRuns|^kelvara_main_window_actions_test$'
