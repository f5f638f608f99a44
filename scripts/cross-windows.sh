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

scripts/windows-deploy-check.sh "$deploy"
echo "deployed folder: $deploy ($(du -sh "$deploy" | cut -f1), $(find "$deploy" -type f | wc -l) files)"

(cd "$build" && cpack -G NSIS >/dev/null) || fail "the installer could not be made"
installer=$(find "$root/$build" -maxdepth 1 -name 'kelvara-*-win64-setup.exe')
[ -f "$installer" ] || fail "no installer was made"
echo "installer: $installer ($(du -h "$installer" | cut -f1))"
