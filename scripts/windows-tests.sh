#!/bin/sh
# Runs the cross-built test programs under wine: the GoogleTest suites of the core and the QTest suites of the
# window, on wine's own "windows" platform inside a virtual X display. tests/wine-exclusions.txt names what is
# left out and why; this script skips the "test" lines and prints every exclusion, so nothing is dropped silently.
# Usage: scripts/windows-tests.sh (after scripts/cross-windows.sh); KELVARA_WINE_TESTS="name …" runs only those
# test programs (for looking into one).
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
. scripts/windows-env.sh
scripts/setup.sh
exclusions="$root/tests/wine-exclusions.txt"
[ -d "$root/$build/tests" ] || fail "no test programs in $build/tests (run scripts/cross-windows.sh)"

run_on_display

work=$(mktemp -d)
trap 'stop_wine; rm -rf "$work"' EXIT
start_wine "$work"
# The test programs load the kit's DLLs and plugins from where the kit lies.
export WINEPATH="$(winpath "$kit/bin")" QT_PLUGIN_PATH="$(winpath "$kit/plugins")" QT_QPA_PLATFORM=windows

echo "Left out under wine (tests/wine-exclusions.txt):"
sed -n 's/^\(folder\|source\|test\) \+/  \1 /p' "$exclusions"

# The patterns of the "test" lines for one program.
excluded_tests() {
    sed -n "s/^test \+$1:\([^ #]*\).*/\1/p" "$exclusions"
}

failed=""
summary=""
for exe in $(find "$root/$build/tests" -name '*.exe' | sort); do
    name=$(basename "$exe" .exe)
    if [ -n "${KELVARA_WINE_TESTS:-}" ] && ! echo " $KELVARA_WINE_TESTS " | grep -qF " $name "; then
        continue
    fi
    log="$work/$name.log"
    status=0
    if x86_64-w64-mingw32-objdump -p "$exe" | grep -qi 'DLL Name: Qt6Test.dll'; then
        # QTest runs the functions named on its command line; without names, all of them.
        functions=""
        skipped=$(excluded_tests "$name")
        if [ -n "$skipped" ]; then
            functions=$("$wine" "$exe" -functions | tr -d '\r' | sed 's/()$//' | grep -vxF "$skipped" | tr '\n' ' ')
        fi
        # Under wine, QTest's own output reaches a file reliably, the console not.
        # shellcheck disable=SC2086
        (cd "$work" && timeout 600 "$wine" "$exe" -o "$(winpath "$log"),txt" $functions) >/dev/null 2>&1 || status=$?
        result=$(tr -d '\r' <"$log" | grep '^Totals:' | tail -n 1)
    else
        filter="*"
        skipped=$(excluded_tests "$name" | tr '\n' ':' | sed 's/:$//')
        [ -z "$skipped" ] || filter="*-$skipped"
        (cd "$work" && timeout 600 "$wine" "$exe" --gtest_filter="$filter") >"$log" 2>&1 || status=$?
        result=$(tr -d '\r' <"$log" | grep -E '^\[  (PASSED|FAILED|SKIPPED) +\]' | tr '\n' ' ')
    fi
    summary="$summary$(printf '%-36s %s' "$name" "${result:-no result}")
"
    if [ "$status" -ne 0 ]; then
        failed="$failed $name"
        tr -d '\r' <"$log" | grep -E 'FAIL|Failure|error|Loc:|Actual|Expected' | head -n 60 >&2 || true
    fi
done
printf '%s' "$summary"
[ -z "$failed" ] || fail "failed under wine:$failed"
echo "Windows test suites passed under wine"
