#!/bin/sh
# Packs the installer once more with a stand-in signing command (tests/windows/stand_in_sign.sh) and checks that
# it was called for every program before packing, for the uninstaller and for the finished setup.
# Usage: scripts/windows-signing-check.sh (after scripts/cross-windows.sh)
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
. scripts/windows-env.sh
[ -f "$build/CPackConfig.cmake" ] || fail "no Windows build in $build (run scripts/cross-windows.sh)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log="$work/signed.txt"

(cd "$build" && cpack -G NSIS -B "$work/out" \
    -D "CPACK_KELVARA_SIGN_COMMAND=sh $root/tests/windows/stand_in_sign.sh $log %1" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "packing with a signing command failed"; }
setup=$(find "$work/out" -maxdepth 1 -name 'kelvara-*-win64-setup.exe')
[ -f "$setup" ] || fail "no setup was made"
[ -f "$log" ] || fail "the signing command was never called"

programs=$(cd "$build/deploy/Kelvara" && find . -iname '*.exe' | sed 's|^\./||' | sort)
[ -n "$programs" ] || fail "no programs in the deployed folder"
for program in $programs; do
    grep -q "/$(printf '%s' "$program" | sed 's/[.]/[.]/g')\$" "$log" || fail "$program was packed unsigned"
done
# CPack signs the setup where makensis writes it, then copies it to the output folder.
grep -q "/$(basename "$setup")\$" "$log" || fail "the finished setup was not signed"
# The uninstaller is signed from a temporary file of makensis, before it goes into the setup.
others=$(grep -c -v -e '[.]exe$' "$log" || true)
[ "$others" -eq 1 ] || fail "the uninstaller was signed $others times, not once"
echo "signing check passed: $(wc -l <"$log") files signed ($(echo "$programs" | tr '\n' ' ')setup, uninstaller)"
