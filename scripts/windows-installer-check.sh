#!/bin/sh
# Runs the installer silently under wine and checks what it leaves: the files in Program Files, the Start-menu
# entry, the uninstaller in the list of programs, the .kvra file type; starts the installed kelvara.exe once; then
# runs the uninstaller, after which only the user's settings (Kelvara.kvs, the consent value) may remain.
# Usage: scripts/windows-installer-check.sh (after scripts/cross-windows.sh)
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
. scripts/windows-env.sh
scripts/setup.sh
installer=$(find "$root/$build" -maxdepth 1 -name 'kelvara-*-win64-setup.exe' | head -n 1)
[ -n "$installer" ] || fail "no installer in $build (run scripts/cross-windows.sh)"

command -v xdotool >/dev/null || fail "xdotool is needed (scripts/setup.sh installs it)"
run_on_display

work=$(mktemp -d)
trap 'stop_wine; rm -rf "$work"' EXIT
start_wine "$work"
build_probe "$work"
reg_value() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ]* *REG_[A-Z]* *//p'; }

"$wine" "$installer" /S || fail "the installer ended with status $?"
"$wineserver" -w
folder="$WINEPREFIX/drive_c/Program Files/Kelvara"
for file in kelvara.exe kelvara-cli.exe Qt6Core.dll platforms/qwindows.dll imageformats/qgif.dll qtbase_de.qm \
    Uninstall.exe; do
    [ -f "$folder/$file" ] || fail "the installer did not put $file into Program Files\\Kelvara"
done
find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Kelvara/Kelvara.lnk' | grep -q . || fail "no Start-menu entry"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvara'
[ "$(reg_value "$uninstall_key" /v DisplayName)" = Kelvara ] || fail "no entry in the list of programs"
reg_value "$uninstall_key" /v UninstallString | grep -qi 'Kelvara\\Uninstall.exe' || fail "no uninstaller entry"
[ "$(reg_value 'HKCR\.kvra' /ve)" = Kelvara.kvra ] || fail ".kvra is not registered"
[ "$(reg_value 'HKCR\Kelvara.kvra\shell\open\command' /ve)" = '"C:\Program Files\Kelvara\kelvara.exe" "%1"' ] ||
    fail "\"open\" of .kvra does not run kelvara.exe with the file"
[ "$(reg_value 'HKCR\Kelvara.kvra\DefaultIcon' /ve)" = 'C:\Program Files\Kelvara\kelvara.exe,0' ] ||
    fail ".kvra does not show Kelvara's icon"

# The installed program starts (consent given beforehand) and ends through "Beenden".
"$wine" reg add 'HKCU\Software\Norvane\Kelvara' /v acceptedDS /t REG_DWORD /d 1 /f >/dev/null
"$wine" "$folder/kelvara.exe" &
program=$!
wait_for_window "Kelvara 1.0.0.0" "$program"
click_beenden "$program"

"$wine" "$folder/Uninstall.exe" /S || fail "the uninstaller ended with status $?"
# The uninstaller goes on from a copy of itself; the wine server ends when every process has.
"$wineserver" -w
left=$( (cd "$folder" 2>/dev/null && find . -mindepth 1) || true)
[ -z "$left" ] || [ "$left" = ./Kelvara.kvs ] || fail "the uninstaller left $(echo "$left" | tr '\n' ' ')"
find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Kelvara*' | grep -q . && fail "the Start-menu entry is left"
"$wine" reg query "$uninstall_key" >/dev/null 2>&1 && fail "the entry in the list of programs is left"
"$wine" reg query 'HKCR\.kvra' >/dev/null 2>&1 && fail "the .kvra file type is left"
"$wine" reg query 'HKCR\Kelvara.kvra' >/dev/null 2>&1 && fail "the Kelvara.kvra class is left"
[ "$(reg_value 'HKCU\Software\Norvane\Kelvara' /v acceptedDS)" = 0x1 ] || fail "the user's consent did not survive"
echo "Windows installer check passed: $(basename "$installer") ($(du -h "$installer" | cut -f1))"
