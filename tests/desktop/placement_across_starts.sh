#!/bin/sh
# Starts the built program three times on the current X display, ends it each time with "Beenden", and checks
# that the window comes back where it was left: its frame stands where the settings file says (under a window
# manager the frame, without one the bare client area), NormPos in Kelvara.kvs and the window's on-screen
# position stay the same from start to start, and the stored size is never below the window's.
# Usage (through on_x_display.sh): placement_across_starts.sh path/to/kelvara
set -eu
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
for tool in xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

work="$(mktemp -d)"
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/program/Kelvara.kvs" ] && cat "$work/program/Kelvara.kvs" >&2
    cat "$work"/run*.log >&2 2>/dev/null || true
    xwininfo -root -tree 2>/dev/null | grep -i kelvara >&2 || true
    exit 1
}

. "$(dirname "$0")/wait_for.sh"

window_manager=false
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && window_manager=true

# The program folder holds the settings file; consent is recorded so that no consent window opens.
mkdir -p "$work/program" "$work/config/Norvane" "$work/data"
cp "$program" "$work/program/kelvara"
printf '[General]\nacceptedDS=1\n' >"$work/config/Norvane/Kelvara.conf"
# Where an earlier run left the window: away from its designed place, so that every start has to apply it.
printf '[MainForm]\r\nFormVersion=0\r\nShowCmd=1\r\nFlags=0\r\nNormPos=300,150,925,690\r\n\r\n' \
    >"$work/program/Kelvara.kvs"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

# The main window once it is mapped with its versioned caption.
visible_window() { xdotool search --onlyvisible --name '^Kelvara ' | head -n 1 | grep .; }
gone() { ! kill -0 "$app_pid"; }

previous_norm=""
previous_position=""
for run in 1 2 3; do
    "$work/program/kelvara" >"$work/run$run.log" 2>&1 &
    app_pid=$!
    wait_for 15 visible_window || fail "run $run: the window did not appear"
    window="$(visible_window)"
    # Let the window manager finish placing the frame.
    sleep 1
    position="$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left [XY]: *//p' | paste -sd, -)"

    # "Beenden" sits at 534, 378 in the panel below the 68-pixel banner strip.
    xdotool mousemove --window "$window" 571 458 click 1
    wait_for 15 gone || fail "run $run: \"Beenden\" did not end the program"
    wait "$app_pid" || fail "run $run: the program ended with an error"
    app_pid=""

    norm="$(tr -d '\r' <"$work/program/Kelvara.kvs" | sed -n 's/^NormPos=//p')"
    echo "run $run: NormPos=$norm, client area at $position"
    [ -n "$norm" ] || fail "run $run: no NormPos stored"
    left=$(echo "$norm" | cut -d, -f1)
    top=$(echo "$norm" | cut -d, -f2)
    right=$(echo "$norm" | cut -d, -f3)
    bottom=$(echo "$norm" | cut -d, -f4)
    [ "$left,$top" = "300,150" ] || fail "run $run: frame stored at $left,$top instead of 300,150"
    # The window's fixed client area is 619 x 511; a frame can only add to it.
    [ $((right - left)) -ge 619 ] && [ $((bottom - top)) -ge 511 ] || fail "run $run: stored size below 619 x 511"
    if $window_manager; then
        # The frame's title bar lies above the client area, and the stored rectangle includes it.
        [ "${position#*,}" -gt 150 ] || fail "run $run: the client area, not the frame, was put at 300,150"
        [ $((bottom - top)) -gt 511 ] || fail "run $run: the stored rectangle is the client area, not the frame"
    else
        [ "$position" = "300,150" ] || fail "run $run: without a frame the client area belongs at 300,150"
        [ "$norm" = "300,150,919,661" ] || fail "run $run: without a frame NormPos is the client area"
    fi
    if [ "$run" -gt 1 ]; then
        [ "$norm" = "$previous_norm" ] || fail "run $run: NormPos moved from $previous_norm to $norm"
        [ "$position" = "$previous_position" ] || fail "run $run: window moved from $previous_position to $position"
    fi
    previous_norm="$norm"
    previous_position="$position"
done
echo "placement kept over three starts"
