#!/bin/sh
# Runs a command on a display of its own (Xvfb), with the openbox window manager when asked to, and ends both.
# Usage: on_x_display.sh [--openbox] command [arguments...]
set -eu
with_openbox=false
if [ "${1:-}" = "--openbox" ]; then
    with_openbox=true
    shift
fi
tools="Xvfb xprop"
$with_openbox && tools="$tools openbox"
for tool in $tools; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
wm_pid=""
cleanup() {
    for pid in $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

. "$(dirname "$0")/wait_for.sh"

# Xvfb picks a free display number and writes it to the file; openbox joins it when asked for. A server started
# meanwhile by something else (xvfb-run -a picks its number by the lock files alone) can take that display from
# under it: then the display answers no client, and both are started again on another one.
stop_display() {
    for pid in $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    wm_pid=""
    xvfb_pid=""
}
start_display() {
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_for 10 test -s "$work/display" || return 1
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    xprop -root >/dev/null 2>&1 || return 1
    $with_openbox || return 0
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
}
export QT_QPA_PLATFORM=xcb
attempt=1
until start_display; do
    echo "no usable display on ${DISPLAY:-?} (attempt $attempt)" >&2
    cat "$work/xvfb.log" "$work/openbox.log" >&2 2>/dev/null || true
    stop_display
    [ "$attempt" -lt 3 ] || { echo "FAIL: Xvfb or openbox did not start" >&2; exit 1; }
    attempt=$((attempt + 1))
done

status=0
"$@" || status=$?
if [ "$status" -ne 0 ]; then
    echo "== Xvfb on $DISPLAY:" >&2
    cat "$work/xvfb.log" >&2
    [ -f "$work/openbox.log" ] && cat "$work/openbox.log" >&2
fi
exit "$status"
