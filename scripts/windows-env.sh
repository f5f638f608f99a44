# Shared by the Windows scripts (sourced, not run): the Qt kit, the static libsodium, wine in a throw-away prefix,
# Windows paths. KELVARA_QT_KIT names the kit's tarball (default: ../shared/toolchains/ beside the repository),
# KELVARA_SODIUM_KIT the libsodium tarball (same place); KELVARA_WINDOWS_BUILD_DIR the cross build (default: build-win).

root="${root:-$PWD}"
kit_archive="${KELVARA_QT_KIT:-$root/../shared/toolchains/qt6-mingw-6.4.2.tar.xz}"
build="${KELVARA_WINDOWS_BUILD_DIR:-build-win}"
kit="$root/$build-kit/qt6-mingw"
sodium_archive="${KELVARA_SODIUM_KIT:-$root/../shared/toolchains/mingw-libs-1.0.18-1+deb12u1-no-zxcvbn.tar.xz}"
sodium="$root/$build-kit/mingw-libs"

fail() {
    printf "%s: %s\n" "$(basename "$0")" "$1" >&2
    exit 1
}

# Unpacks the kit once per build folder (a few seconds); Qt itself is never rebuilt here.
unpack_kit() {
    [ -f "$kit/lib/cmake/Qt6/qt.toolchain.cmake" ] && return 0
    [ -f "$kit_archive" ] || fail "the Qt kit $kit_archive is missing (set KELVARA_QT_KIT)"
    mkdir -p "$root/$build-kit"
    tar -xJf "$kit_archive" -C "$root/$build-kit"
}

# Unpacks the static MinGW libsodium once per build folder, after checking the tarball against its checksum.
unpack_sodium() {
    [ -f "$sodium/lib/libsodium.a" ] && return 0
    [ -f "$sodium_archive" ] || fail "the libsodium kit $sodium_archive is missing (set KELVARA_SODIUM_KIT)"
    if [ -f "$sodium_archive.sha256" ]; then
        (cd "$(dirname "$sodium_archive")" && sha256sum -c --quiet "$(basename "$sodium_archive").sha256") ||
            fail "the libsodium kit does not match its checksum"
    fi
    mkdir -p "$root/$build-kit"
    tar -xJf "$sodium_archive" -C "$root/$build-kit"
    [ -f "$sodium/lib/libsodium.a" ] || fail "the libsodium kit has no lib/libsodium.a"
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

# Runs the calling script again on a virtual X display, unless it already runs on one.
run_on_display() {
    [ "${KELVARA_ON_DISPLAY:-}" = 1 ] && return 0
    command -v xvfb-run >/dev/null || fail "xvfb-run is not installed (scripts/setup.sh installs it)"
    KELVARA_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
}

# A fresh wine prefix below $1 (the caller removes it); the first start of a prefix takes a while.
start_wine() {
    find_wine
    export WINEPREFIX="$1/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$wine" wineboot -i >/dev/null 2>&1 || fail "wine could not set up its prefix"
    # Wine marks files whose names begin with "." as hidden, which Windows does not.
    "$wine" reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1 ||
        fail "wine's registry cannot be written"
}

stop_wine() {
    [ -n "${wineserver:-}" ] && [ -n "${WINEPREFIX:-}" ] && "$wineserver" -k 2>/dev/null || true
}

# The Windows spelling of a path below /, which wine shows as drive Z:.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

# Looks at windows and the clipboard from the Windows side (tests/windows/window_probe.c), built into $1.
build_probe() {
    probe_exe="$1/window_probe.exe"
    x86_64-w64-mingw32-gcc -municode -O2 -o "$probe_exe" "$root/tests/windows/window_probe.c"
}
# The probe's output without wine's carriage returns; its exit status is the probe's.
probe() {
    "$wine" "$probe_exe" "$@" >"$probe_exe.out" || return 1
    tr -d '\r' <"$probe_exe.out"
}

# Waits up to two minutes for the window titled $1 of the process $2; sets client_width, client_height and
# client_left, client_top (its client area on the screen).
wait_for_window() {
    area=""
    for _ in $(seq 1 120); do
        area=$(probe window "$1") && break
        kill -0 "$2" 2>/dev/null || fail "the program ended before its window \"$1\" appeared"
        sleep 1
    done
    [ -n "$area" ] || fail "no window titled \"$1\" within two minutes"
    read -r client_width client_height client_left client_top <<END
$area
END
}

# Clicks at a point of the client area found by wait_for_window.
click() {
    xdotool mousemove "$((client_left + $1))" "$((client_top + $2))" click 1
    sleep 0.5
}

# Clicks "Beenden" of the main window and waits for the process $1 to end with status 0.
click_beenden() {
    click 571 458
    for _ in $(seq 1 30); do
        kill -0 "$1" 2>/dev/null || break
        sleep 1
    done
    kill -0 "$1" 2>/dev/null && fail "\"Beenden\" did not end the program"
    wait "$1" || fail "kelvara.exe ended with status $?"
}
