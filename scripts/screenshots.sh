#!/bin/sh
# Screenshots of the window in one language under Xvfb and openbox: the main window, a message box (a plain
# text decrypted) and the About window, each with its frame.
# Usage: scripts/screenshots.sh path/to/kelvara LANG-value output-prefix
#   e.g. scripts/screenshots.sh build/src/app/kelvara en_US.UTF-8 docs/screenshot   (writes docs/screenshot-*-en.png)
set -eu
if [ -z "${DISPLAY:-}" ] || ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
    exec sh "$(dirname "$0")/../tests/desktop/on_x_display.sh" --openbox sh "$0" "$@"
fi
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
lang="$2"
prefix="$3"
suffix="$(echo "$lang" | cut -c1-2)"
for tool in xdotool import; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
. "$(dirname "$0")/../tests/desktop/wait_for.sh"

work="$(mktemp -d)"
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Consent given already; no network: the banner's server is a closed local port.
mkdir -p "$work/config/Norvane" "$work/data"
printf '[General]\nacceptedDS=1\n' >"$work/config/Norvane/Kelvara.conf"
unset LANGUAGE LC_ALL LC_MESSAGES KELVARA_LANGUAGE || true
LANG="$lang" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KELVARA_SERVER_URL=http://127.0.0.1:9/ \
    "$program" >"$work/run.log" 2>&1 &
app_pid=$!

active_other_than() { window="$(xdotool getactivewindow 2>/dev/null)" && [ "$window" != "$1" ]; }
shoot() { sleep 1; import -frame -window "$1" "$2"; echo "$2"; }

wait_for 20 sh -c 'xdotool search --onlyvisible --name "^Kelvara " | grep -q .' || { cat "$work/run.log" >&2; exit 1; }
main="$(xdotool search --onlyvisible --name '^Kelvara ' | head -n 1)"
xdotool windowactivate --sync "$main"
shoot "$main" "$prefix-main-$suffix.png"

# A text that is not an encrypted one, decrypted with the second text symbol: a message box says so.
xdotool mousemove --window "$main" 300 300 click 1
xdotool type --delay 20 "Hallo"
xdotool mousemove --window "$main" 91 412 click 1
wait_for 10 active_other_than "$main"
shoot "$(xdotool getactivewindow)" "$prefix-message-$suffix.png"
xdotool key Return
wait_for 10 sh -c "[ \"\$(xdotool getactivewindow)\" = $main ]"

# The "i" picture opens the About window.
xdotool mousemove --window "$main" 528 84 click 1
wait_for 10 active_other_than "$main"
shoot "$(xdotool getactivewindow)" "$prefix-about-$suffix.png"
