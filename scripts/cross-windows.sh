#!/bin/sh
# Cross-builds Kelvara for 64-bit Windows with MinGW-w64 against the Qt kit in ../shared/toolchains/: kelvara.exe,
# kelvara-cli.exe and the test programs; lays out the deployable folder ($build/deploy/Kelvara), checks that it
# needs nothing beyond what Windows provides, and packs the installer ($build/kelvara-<version>-win64-setup.exe).
# The checks under wine are scripts/windows-smoke.sh, windows-tests.sh, windows-window-smoke.sh and
# windows-installer-check.sh.
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
. scripts/windows-env.sh
jobs="${KELVARA_JOBS:-$(nproc)}"

scripts/setup.sh
unpack_kit
unpack_sodium

# GoogleTest for the target, from Debian's sources with the same compiler.
gtest="$root/$build-gtest"
if [ ! -f "$gtest/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$gtest" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$gtest/prefix" \
        -DBUILD_GMOCK=OFF
    cmake --build "$gtest" --parallel "$jobs" --target install
fi

# The test programs are listed when they run (under wine), not after the build.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$kit/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DGTest_DIR="$gtest/prefix/lib/cmake/GTest" -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
    -DKELVARA_MINGW_LIBS="$sodium" \
    -DKELVARA_BUILD_GUI=ON -DKELVARA_BUILD_TESTS=ON -DKELVARA_BUILD_BENCHMARKS=OFF
cmake --build "$build" --parallel "$jobs"

deploy="$root/$build/deploy/Kelvara"
rm -rf "$deploy"
cmake --install "$build" --prefix "$deploy" --strip

# Every DLL that a shipped file imports is shipped too, or one that every Windows 10 has.
shipped=$(find "$deploy" -iname '*.dll' -printf '%f\n' | tr '[:upper:]' '[:lower:]')
find "$deploy" -iname '*.exe' -o -iname '*.dll' | while read -r file; do
    imports=$(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
    for dll in $imports; do
        case "$dll" in
        advapi32.dll | authz.dll | bcrypt.dll | comdlg32.dll | crypt32.dll | d3d9.dll | d3d11.dll | dnsapi.dll | \
            dwmapi.dll | dxgi.dll | gdi32.dll | imm32.dll | iphlpapi.dll | kernel32.dll | mpr.dll | msvcrt.dll | \
            netapi32.dll | ole32.dll | oleaut32.dll | secur32.dll | shcore.dll | shell32.dll | shlwapi.dll | \
            user32.dll | userenv.dll | uxtheme.dll | version.dll | winhttp.dll | winmm.dll | ws2_32.dll | \
            wtsapi32.dll | api-ms-win-core-*.dll) ;;
        *)
            echo "$shipped" | grep -qxF "$dll" ||
                fail "${file#"$deploy"/} needs $dll, which is neither shipped nor part of Windows"
            ;;
        esac
    done
done
for needed in kelvara.exe kelvara-cli.exe platforms/qwindows.dll imageformats/qgif.dll imageformats/qsvg.dll \
    tls/qschannelbackend.dll styles/qwindowsvistastyle.dll qtbase_de.qm qt.conf; do
    [ -f "$deploy/$needed" ] || fail "the deployed folder lacks $needed"
done
echo "deployed folder: $deploy ($(du -sh "$deploy" | cut -f1), $(find "$deploy" -type f | wc -l) files)"

(cd "$build" && cpack -G NSIS >/dev/null) || fail "the installer could not be made"
installer=$(find "$root/$build" -maxdepth 1 -name 'kelvara-*-win64-setup.exe')
[ -f "$installer" ] || fail "no installer was made"
echo "installer: $installer ($(du -h "$installer" | cut -f1))"
