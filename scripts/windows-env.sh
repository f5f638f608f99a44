# Shared by the Windows scripts (sourced, not run): the Qt kit, wine in a throw-away prefix, Windows paths.
# KELVARA_QT_KIT names the kit's tarball (default: ../shared/toolchains/ beside the repository);
# KELVARA_WINDOWS_BUILD_DIR the cross build (default: build-win).

root="${root:-$PWD}"
kit_archive="${KELVARA_QT_KIT:-$root/../shared/toolchains/qt6-mingw-6.4.2.tar.xz}"
build="${KELVARA_WINDOWS_BUILD_DIR:-build-win}"
kit="$root/$build-kit/qt6-mingw"

fail() {
    echo "$(basename "$0"): $1" >&2
    exit 1
}

# Unpacks the kit once per build folder (a few seconds); Qt itself is never rebuilt here.
unpack_kit() {
    [ -f "$kit/lib/cmake/Qt6/qt.toolchain.cmake" ] && return 0
    [ -f "$kit_archive" ] || fail "the Qt kit $kit_archive is missing (set KELVARA_QT_KIT)"
    mkdir -p "$root/$build-kit"
    tar -xJf "$kit_archive" -C "$root/$build-kit"
}

# Finds wine64 or fails: a Windows check that cannot run is a failed check, never a skipped one.
find_wine() {
    wine=""
    for candidate in wine64 /usr/lib/wine/wine64; do
        if command -v "$candidate" >/dev/null 2>&1; then
            wine=$(command -v "$candidate")
            break
        fi
    done
    [ -n "$wine" ] || fail "wine64 is not installed (scripts/setup.sh installs it)"
    wineserver="$(dirname "$wine")/wineserver"
    [ -x "$wineserver" ] || wineserver=$(command -v wineserver) || fail "wineserver is not installed"
}

# A fresh wine prefix below $1, removed with it on exit; the first start of a prefix takes a while.
start_wine() {
    find_wine
    export WINEPREFIX="$1/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$wine" wineboot -i >/dev/null 2>&1 || fail "wine could not set up its prefix"
}

stop_wine() {
    [ -n "${wineserver:-}" ] && [ -n "${WINEPREFIX:-}" ] && "$wineserver" -k 2>/dev/null || true
}

# The Windows spelling of a path below /, which wine shows as drive Z:.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }
