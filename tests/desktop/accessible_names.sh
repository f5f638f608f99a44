#!/bin/sh
# Starts the built program with its accessibility switched on, on a session bus of its own with the accessibility
# bus beside it, and checks the names a screen reader gets for its controls (accessible_names.py).
# Usage (through on_x_display.sh): accessible_names.sh path/to/kelvara de|en
set -eu
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
language="$2"
here="$(cd "$(dirname "$0")" && pwd)"
# Debian's python3-pyatspi belongs to Debian's own interpreter.
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
for tool in dbus-run-session dbus-send xdotool "$python" "$launcher"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
"$python" -c 'import pyatspi' || { echo "FAIL: pyatspi is missing (scripts/setup.sh installs it)" >&2; exit 1; }

# A session bus of its own: the accessibility bus of another session must not answer.
if [ -z "${KELVARA_ACCESSIBILITY_SESSION:-}" ]; then
    KELVARA_ACCESSIBILITY_SESSION=1 exec dbus-run-session -- sh "$0" "$@"
fi

work="$(mktemp -d)"
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
. "$here/wait_for.sh"

fail() {
    echo "FAIL: $*" >&2
    cat "$work"/*.log >&2 2>/dev/null || true
    exit 1
}

"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
pids="$!"
bus_address() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress | grep -q unix
}
wait_for 10 bus_address || fail "the accessibility bus did not start"

# Consent recorded, no banner from the network; the program's folder holds its settings file.
mkdir -p "$work/program" "$work/config/Norvane" "$work/data"
cp "$program" "$work/program/kelvara"
printf '[General]\nacceptedDS=1\n' >"$work/config/Norvane/Kelvara.conf"
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KELVARA_SERVER_URL=http://127.0.0.1:9/ \
    KELVARA_LANGUAGE="$language" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    "$work/program/kelvara" >"$work/program.log" 2>&1 &
pids="$! $pids"
# The window once it is mapped with its versioned caption, and placed by the window manager.
visible_window() { xdotool search --onlyvisible --name '^Kelvara ' | head -n 1 | grep .; }
wait_for 20 visible_window || fail "the window did not appear"
sleep 1

"$python" "$here/accessible_names.py" "$language" || fail "names are missing or wrong"
