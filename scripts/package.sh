#!/bin/sh
# Builds a Release tree with Debian's hardening flags and makes build-package/kelvara_<version>_<arch>.deb with
# CPack. Install it with: apt install ./build-package/kelvara_*.deb
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
build="${KELVARA_PACKAGE_BUILD_DIR:-build-package}"
# Files in the package get the usual modes (0644, 0755) whatever the caller's umask.
umask 022

# The compiler and linker flags Debian builds its own packages with, all hardening on (fortified functions,
# stack protector, relocations read-only and bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
# Given on every run (not through the environment, which CMake reads only when it creates the build folder).
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DKELVARA_BUILD_TESTS=OFF -DKELVARA_BUILD_BENCHMARKS=OFF -DKELVARA_BUILD_FUZZERS=OFF
cmake --build "$build" --parallel "${KELVARA_JOBS:-$(nproc)}"
rm -f "$build"/kelvara_*.deb
(cd "$build" && cpack -G DEB)
ls -l "$build"/kelvara_*.deb
