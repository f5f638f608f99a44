#!/bin/sh
# Runs the installer and the uninstaller under wine, silently, through the cases around the simple one:
#   - an install for all users: files (licences and the JPEG plugin included), Start-menu entry, the entry in
#     "Apps & Features" with its values and their types, the .kvra file type; the installed program starts;
#   - a running Kelvara (its mutex held) and a file held open make install and uninstall fail with their exit
#     codes and change nothing;
#   - an install over a damaged old install (uninstaller and a DLL missing, an uninstaller path of over 260
#     characters) completes;
#   - an install for the current user into a folder outside ASCII: no Program Files, no HKLM; a second run without
#     options keeps folder and mode; an older version over a newer one is refused;
#   - the uninstallers remove only Kelvara's own values of the file type and what the program left in the
#     user's data folder, and keep the user's settings.
# Usage: scripts/windows-installer-check.sh (after scripts/cross-windows.sh)
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
. scripts/windows-env.sh
scripts/setup.sh
installer=$(find "$root/$build" -maxdepth 1 -name 'kelvara-*-win64-setup.exe' | head -n 1)
[ -n "$installer" ] || fail "no installer in $build (run scripts/cross-windows.sh)"
version=$(basename "$installer" | sed 's/^kelvara-\(.*\)-win64-setup.exe$/\1/')

command -v xdotool >/dev/null || fail "xdotool is needed (scripts/setup.sh installs it)"
run_on_display

work=$(mktemp -d)
trap 'touch "$work/stop"; stop_wine; rm -rf "$work"' EXIT
start_wine "$work"
build_probe "$work"
hold_exe="$work/hold_open.exe"
runner="$work/run_command_line.exe"
x86_64-w64-mingw32-gcc -municode -O2 -o "$hold_exe" "$root/tests/windows/hold_open.c"
x86_64-w64-mingw32-gcc -municode -O2 -o "$runner" "$root/tests/windows/run_command_line.c"
setup=$(winpath "$installer")

reg_value() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ]* *REG_[A-Z_]* *//p'; }
reg_type() { "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ]* *\(REG_[A-Z_]*\).*/\1/p'; }
# The checksums of every file below $1: an install that failed must leave exactly these.
snapshot() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }
holding=""
# Runs a Windows command line (the installer or an uninstaller) and checks its exit status.
expect_status() {
    set +e
    "$wine" "$runner" "$2"
    got=$?
    set -e
    # An uninstaller goes on from a copy of itself; wait for every process, unless hold_open.exe is one of them.
    [ -n "$holding" ] || "$wineserver" -w
    [ "$got" = "$1" ] || fail "\"$2\" ended with status $got, not $1"
}
# Starts hold_open.exe with the arguments given and waits until it holds them; release_held ends it.
hold() {
    rm -f "$work/stop" "$work/held"
    holding=1
    "$wine" "$hold_exe" "$(winpath "$work/stop")" "$@" >"$work/held" &
    for _ in $(seq 1 60); do
        grep -q ready "$work/held" 2>/dev/null && return 0
        sleep 0.5
    done
    fail "hold_open.exe did not get hold of $*"
}
release_held() {
    touch "$work/stop"
    holding=""
    "$wineserver" -w
}

echo "== install for all users"
machine="$WINEPREFIX/drive_c/Program Files/Kelvara"
machine_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvara'
expect_status 0 "$setup /S"
for file in kelvara.exe kelvara-cli.exe Qt6Core.dll platforms/qwindows.dll imageformats/qgif.dll \
    imageformats/qjpeg.dll qtbase_de.qm Uninstall.exe Lizenzen/Qt.txt Lizenzen/LGPL-3.txt Lizenzen/zlib.txt; do
    [ -f "$machine/$file" ] || fail "the installer did not put $file into Program Files\\Kelvara"
done
[ ! -e "$machine/bin" ] || fail "a second copy of the programs in Program Files\\Kelvara\\bin"
find "$machine" -name '~Kelvara-*' | grep -q . && fail "the installer left its working folders"
# Ready to be signed: the setup, the uninstaller and both programs say who made them.
for file in "$installer" "$machine/Uninstall.exe" "$machine/kelvara-cli.exe"; do
    for key in CompanyName LegalCopyright FileVersion; do
        x86_64-w64-mingw32-strings -el "$file" | grep -qx "$key" || fail "$(basename "$file") has no $key"
    done
done
x86_64-w64-mingw32-strings "$machine/kelvara-cli.exe" | grep -q '<ws2:longPathAware>true' ||
    fail "kelvara-cli.exe's manifest does not allow long paths"
find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Kelvara.lnk' | grep -q . || fail "no Start-menu entry"
# The entry in "Apps & Features": each value with its type, and nothing else.
for expected in "DisplayName REG_SZ Kelvara" "DisplayVersion REG_SZ $version" \
    "DisplayIcon REG_SZ C:\\Program Files\\Kelvara\\kelvara.exe,0" "InstallLocation REG_SZ C:\\Program Files\\Kelvara" \
    "UninstallString REG_SZ \"C:\\Program Files\\Kelvara\\Uninstall.exe\"" \
    "QuietUninstallString REG_SZ \"C:\\Program Files\\Kelvara\\Uninstall.exe\" /S" \
    "NoModify REG_DWORD 0x1" "NoRepair REG_DWORD 0x1"; do
    name=${expected%% *}
    rest=${expected#* }
    type=${rest%% *}
    value=${rest#* }
    [ "$(reg_type "$machine_key" "$name")" = "$type" ] || fail "$name is not a $type"
    [ "$(reg_value "$machine_key" /v "$name")" = "$value" ] || fail "$name is not $value"
done
[ "$(reg_type "$machine_key" EstimatedSize)" = REG_DWORD ] || fail "no EstimatedSize"
[ "$(($(reg_value "$machine_key" /v EstimatedSize)))" -gt 10000 ] || fail "EstimatedSize is not the size in KB"
[ -n "$(reg_value "$machine_key" /v Publisher)" ] || fail "no Publisher"
values=$("$wine" reg query "$machine_key" | tr -d '\r' | sed -n 's/^ *\([^ ]*\) *REG_.*/\1/p' | sort | tr '\n' ' ')
[ "$values" = "DisplayIcon DisplayName DisplayVersion EstimatedSize InstallLocation NoModify NoRepair Publisher \
QuietUninstallString UninstallString " ] || fail "the entry holds other values: $values"
classes='HKLM\Software\Classes'
[ "$(reg_value "$classes\\.kvra" /ve)" = Kelvara.kvra ] || fail ".kvra is not registered"
[ "$(reg_type "$classes\\.kvra\\OpenWithProgids" Kelvara.kvra)" = REG_NONE ] || fail "no OpenWithProgids entry"
[ "$(reg_value "$classes\\Kelvara.kvra\\shell\\open\\command" /ve)" = '"C:\Program Files\Kelvara\kelvara.exe" "%1"' ] ||
    fail "\"open\" of .kvra does not run kelvara.exe with the file"
[ "$(reg_value "$classes\\Kelvara.kvra\\DefaultIcon" /ve)" = 'C:\Program Files\Kelvara\kelvara.exe,0' ] ||
    fail ".kvra does not show Kelvara's icon"

# The installed program starts (consent given beforehand) and ends through "Beenden".
"$wine" reg add 'HKCU\Software\Norvane\Kelvara' /v acceptedDS /t REG_DWORD /d 1 /f >/dev/null
"$wine" "$machine/kelvara.exe" &
program=$!
wait_for_window "Kelvara $version" "$program"
# The running program holds its mutex: a silent install refuses to run meanwhile.
holding=1
expect_status 3 "$setup /S"
holding=""
click_beenden "$program"

echo "== Kelvara running, a file held open: install and uninstall change nothing"
"$wine" reg add "$machine_key" /v DisplayVersion /d 0.9.0.0 /f >/dev/null
before=$(snapshot "$machine")
uninstall_in_place='"C:\Program Files\Kelvara\Uninstall.exe" /S _?=C:\Program Files\Kelvara'
hold --mutex
expect_status 3 "$setup /S"
expect_status 3 "$uninstall_in_place"
release_held
hold "C:\\Program Files\\Kelvara\\Qt6Core.dll"
expect_status 4 "$setup /S"
expect_status 4 "$uninstall_in_place"
release_held
[ "$(snapshot "$machine")" = "$before" ] || fail "a failed run changed the installed files"
[ "$(reg_value "$machine_key" /v DisplayVersion)" = 0.9.0.0 ] || fail "a failed run rewrote the entry"
[ "$(reg_value "$classes\\.kvra" /ve)" = Kelvara.kvra ] || fail "a failed uninstall removed the file type"

echo "== install over a damaged install"
rm "$machine/Uninstall.exe" "$machine/Qt6Gui.dll"
long="C:\\$(printf 'a%.0s' $(seq 1 270))\\Uninstall.exe"
"$wine" reg add "$machine_key" /v UninstallString /d "\"$long\"" /f >/dev/null
"$wine" reg add "$machine_key" /v StartMenu /d Kelvara /f >/dev/null
mkdir -p "$machine/bin"
cp "$machine/kelvara.exe" "$machine/bin/kelvara.exe"
expect_status 0 "$setup /S"
{ [ -f "$machine/Uninstall.exe" ] && [ -f "$machine/Qt6Gui.dll" ]; } || fail "the install did not repair the files"
[ ! -e "$machine/bin" ] || fail "the stray bin\\ copy of an earlier installer stayed"
[ "$(reg_value "$machine_key" /v DisplayVersion)" = "$version" ] || fail "the entry was not rewritten"
[ -z "$(reg_value "$machine_key" /v StartMenu)" ] || fail "a private value of an earlier installer stayed"

echo "== uninstall for all users"
data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Norvane/Kelvara"
mkdir -p "$data"
for file in Kelvara.kvs Kelvaraadv.gif update.exe; do echo x >"$data/$file"; done
echo x >"$machine/Kelvara.kvs"
echo x >"$machine/update.exe"
"$wine" reg add "$classes\\.kvra\\OpenWithProgids" /v Other.kvra /t REG_NONE /f >/dev/null
expect_status 0 '"C:\Program Files\Kelvara\Uninstall.exe" /S'
left=$( (cd "$machine" 2>/dev/null && find . -mindepth 1) || true)
[ "$left" = ./Kelvara.kvs ] || fail "the uninstaller left $(echo "$left" | tr '\n' ' ') (only Kelvara.kvs may stay)"
[ "$(ls "$data")" = Kelvara.kvs ] || fail "the user's data folder holds $(ls "$data" | tr '\n' ' ')"
find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Kelvara*' | grep -q . && fail "the Start-menu entry is left"
"$wine" reg query "$machine_key" >/dev/null 2>&1 && fail "the entry in the list of programs is left"
"$wine" reg query "$classes\\Kelvara.kvra" >/dev/null 2>&1 && fail "the Kelvara.kvra class is left"
[ -z "$(reg_type "$classes\\.kvra\\OpenWithProgids" Kelvara.kvra)" ] || fail "Kelvara's OpenWithProgids value is left"
[ "$(reg_type "$classes\\.kvra\\OpenWithProgids" Other.kvra)" = REG_NONE ] ||
    fail "another program's OpenWithProgids value was removed"
[ "$(reg_value 'HKCU\Software\Norvane\Kelvara' /v acceptedDS)" = 0x1 ] || fail "the user's consent did not survive"

echo "== install for the current user into a folder outside ASCII; upgrade keeps folder and mode"
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvara'
folder='C:\Programme für mich\Kelvara'
user_folder="$WINEPREFIX/drive_c/Programme für mich/Kelvara"
expect_status 0 "$setup /S /CurrentUser /D=$folder"
[ -f "$user_folder/kelvara.exe" ] || fail "the per-user install is not in $folder"
[ ! -e "$machine/kelvara.exe" ] || fail "the per-user install wrote to Program Files"
"$wine" reg query "$machine_key" >/dev/null 2>&1 && fail "the per-user install wrote to HKLM"
# reg.exe prints in the console's code page, so the "ü" is left to the files above.
case "$(reg_value "$user_key" /v InstallLocation)" in
'C:\Programme f'?*'r mich\Kelvara') ;;
*) fail "no per-user entry for $folder: $(reg_value "$user_key" /v InstallLocation)" ;;
esac
[ "$(reg_value 'HKCU\Software\Classes\.kvra' /ve)" = Kelvara.kvra ] || fail ".kvra is not registered for the user"
rm "$user_folder/Qt6Svg.dll"
expect_status 0 "$setup /S"
[ -f "$user_folder/Qt6Svg.dll" ] || fail "the second install did not go into the first one's folder"
[ ! -e "$machine/kelvara.exe" ] || fail "the second install changed the mode"
"$wine" reg add "$user_key" /v DisplayVersion /d 99.0.0.0 /f >/dev/null
expect_status 5 "$setup /S"
[ "$(reg_value "$user_key" /v DisplayVersion)" = 99.0.0.0 ] || fail "an older version replaced a newer one"
# The setup asks for administrator rights only from administrators (standard users install for themselves).
grep -aq 'level="highestAvailable"' "$installer" || fail "the setup does not run as a standard user"

"$wine" reg add 'HKCU\Software\Classes\.kvra\OpenWithProgids' /v Other.kvra /t REG_NONE /f >/dev/null
expect_status 0 "\"$folder\\Uninstall.exe\" /S /RemoveSettings"
[ ! -e "$user_folder" ] || fail "the per-user uninstall left $(ls "$user_folder" | tr '\n' ' ')"
"$wine" reg query "$user_key" >/dev/null 2>&1 && fail "the per-user entry is left"
[ "$(reg_type 'HKCU\Software\Classes\.kvra\OpenWithProgids' Other.kvra)" = REG_NONE ] ||
    fail "another program's OpenWithProgids value was removed"
[ -z "$(reg_value 'HKCU\Software\Norvane\Kelvara' /v acceptedDS)" ] || fail "/RemoveSettings kept the consent"
echo "Windows installer check passed: $(basename "$installer") ($(du -h "$installer" | cut -f1))"
