#!/bin/sh
# Starts the deployed kelvara.exe under wine on a virtual X display: consent given in the consent window is a
# DWORD in wine's registry; the caption carries the file version, the client area has its designed size, a
# password and a text typed in, the encrypt symbol pressed and the password confirmed put the same Base64 on the
# clipboard as the Linux build, and "Beenden" ends the program and leaves Kelvara.kvs; the window has a taskbar
# button, and a start that finds it left minimised can be restored from there. Keeps a screenshot of the window
# ($build/screenshot-windows.png).
# Usage: scripts/windows-window-smoke.sh (after scripts/cross-windows.sh and the Linux build of kelvara-cli)
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
. scripts/windows-env.sh
scripts/setup.sh
deploy="$root/$build/deploy/Kelvara"
[ -f "$deploy/kelvara.exe" ] || fail "no deployed folder in $deploy (run scripts/cross-windows.sh)"
linux_cli="${KELVARA_LINUX_CLI:-$root/${KELVARA_BUILD_DIR:-build}/src/cli/kelvara-cli}"
[ -x "$linux_cli" ] || fail "the Linux kelvara-cli ($linux_cli) gives the reference text: build it first"
command -v xdotool >/dev/null && command -v import >/dev/null && command -v xprop >/dev/null ||
    fail "xdotool, import and xprop are needed (scripts/setup.sh installs them)"
run_on_display
# The windows are found by their German titles, whatever language wine reports.
export KELVARA_LANGUAGE=de

work=$(mktemp -d)
trap 'stop_wine; rm -rf "$work"' EXIT
start_wine "$work"
cp -r "$deploy" "$work/Kelvara"
app="$work/Kelvara"
build_probe "$work"

# A first start asks for consent; "akzeptieren" stores it in the registry as the DWORD 1.
"$wine" "$app/kelvara.exe" &
program=$!
wait_for_window "$(printf 'Datenschtzerkl\303\244rung')" "$program"
[ "$client_width x $client_height" = "645 x 465" ] || fail "the consent window is $client_width x $client_height"
click 369 442 # "akzeptieren"
consent=$("$wine" reg query 'HKCU\Software\Norvane\Kelvara' /v acceptedDS 2>/dev/null | tr -d '\r' | grep acceptedDS || true)
[ "$(echo $consent)" = "acceptedDS REG_DWORD 0x1" ] || fail "consent is stored as \"$consent\", not as the DWORD 1"

title="Kelvara 1.0.0.0"
wait_for_window "$title" "$program"
[ "$client_width x $client_height" = "619 x 511" ] || fail "the client area is $client_width x $client_height, not 619 x 511"
# A taskbar button and an Alt+Tab entry: by the shell's rule on the Windows side, and no skip-taskbar state on
# the X window wine made for it.
state=$(probe state "$title") || fail "no state of the main window"
[ "$state" = "normal taskbar" ] || fail "the main window is \"$state\", not a normal window with a taskbar button"
x_state=$(xprop -name "$title" _NET_WM_STATE) || fail "no X window titled \"$title\""
case "$x_state" in *SKIP_TASKBAR*) fail "wine keeps the main window off the taskbar: $x_state" ;; esac

printf 'geheim' >"$work/pw"
text="Hallo Welt 2026"
click 176 102 # the password field
xdotool type --delay 50 "$(cat "$work/pw")"
click 313 301 # the text field
xdotool type --delay 50 "$text"
click 43 412 # the encrypt-text symbol
# The first encryption with a password asks for it once more.
wait_for_window "$(printf 'Passwort best\303\244tigen')" "$program"
xdotool type --delay 50 "$(cat "$work/pw")"
xdotool key Return
wait_for_window "$title" "$program"
expected=$(printf '%s' "$text" | "$linux_cli" encrypt-text -q --password-file "$work/pw")
clipboard=""
for _ in $(seq 1 20); do
    clipboard=$(probe clipboard) && [ "$clipboard" = "$expected" ] && break
    sleep 0.5
done
[ "$clipboard" = "$expected" ] || fail "the clipboard holds \"$clipboard\", the Linux build gives \"$expected\""

window=$(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$title\".*/\1/p" | head -n 1)
import -window "$window" "$root/$build/screenshot-windows.png" || fail "no screenshot"

[ ! -e "$app/Kelvara.kvs" ] || fail "Kelvara.kvs exists before the program ends"
click_beenden "$program"
grep -q '^\[MainForm\]' "$app/Kelvara.kvs" || fail "no Kelvara.kvs with the window placement beside the program"
# Left minimised, the window comes up minimised with its taskbar button at the next start, and what a click on
# that button does (restore, activate) brings it back.
sed -i 's/^ShowCmd=[0-9]*/ShowCmd=2/' "$app/Kelvara.kvs"
"$wine" "$app/kelvara.exe" &
program=$!
for _ in $(seq 1 120); do
    state=$(probe state "$title") && [ "$state" = "minimised taskbar" ] && break
    kill -0 "$program" 2>/dev/null || fail "the program ended before its window came up minimised"
    sleep 1
done
[ "$state" = "minimised taskbar" ] || fail "with ShowCmd=2 the main window is \"$state\", not minimised with a taskbar button"
probe restore "$title" >/dev/null || fail "the minimised window cannot be restored"
for _ in $(seq 1 20); do
    state=$(probe state "$title") && [ "$state" = "normal taskbar" ] && break
    sleep 0.5
done
[ "$state" = "normal taskbar" ] || fail "after its taskbar button the main window is \"$state\""
wait_for_window "$title" "$program"
[ "$client_width x $client_height" = "619 x 511" ] || fail "restored, the client area is $client_width x $client_height"
click_beenden "$program"

echo "Windows window smoke test passed (screenshot: $build/screenshot-windows.png)"
