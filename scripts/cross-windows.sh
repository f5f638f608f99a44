#!/bin/sh
# Cross-builds the core libraries and kelvara-cli.exe for 64-bit Windows with MinGW-w64 (no Qt, no tests).
set -eu
cd "$(dirname "$0")/.."
build="${KELVARA_WINDOWS_BUILD_DIR:-build-win}"

scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKELVARA_BUILD_GUI=OFF -DKELVARA_BUILD_TESTS=OFF -DKELVARA_BUILD_BENCHMARKS=OFF
cmake --build "$build" --parallel "${KELVARA_JOBS:-$(nproc)}" \
    --target kelvara_cipher kelvara_operations kelvara_settings kelvara-cli

# The program must need nothing beyond the DLLs that every Windows has.
exe="$build/src/cli/kelvara-cli.exe"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u)
for dll in $imports; do
    case "$dll" in
    kernel32.dll | msvcrt.dll | shell32.dll | advapi32.dll | user32.dll) ;;
    *)
        echo "kelvara-cli.exe needs $dll, which Windows does not provide" >&2
        exit 1
        ;;
    esac
done
echo "built $exe (imports: $(echo "$imports" | tr '\n' ' '))"

scripts/windows-smoke.sh "$build"
