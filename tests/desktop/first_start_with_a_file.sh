#!/bin/sh
# A first start as a file manager makes it ("open with", from another working folder), under a window manager:
# the consent window's frame is centred on the screen from its first showing; the main window is an ordinary
# window on the taskbar; the password dialog is centred over the main window; the save dialog starts in the
# file's own folder, so Enter writes the result next to the file (after the password is confirmed); the About window is centred at its first
# showing; every one of these windows carries the program's icon.
# Usage (through on_x_display.sh --openbox): first_start_with_a_file.sh path/to/kelvara
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
    cat "$work/run.log" >&2 2>/dev/null || true
    xwininfo -root -tree 2>/dev/null | grep -v '(has no name)' >&2 || true
    exit 1
}

. "$(dirname "$0")/wait_for.sh"
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" || fail "needs a window manager (--openbox)"

mkdir -p "$work/program" "$work/home" "$work/files" "$work/config" "$work/data"
cp "$program" "$work/program/kelvara"
printf 'Bericht\n' >"$work/files/bericht.txt"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KELVARA_SERVER_URL=http://127.0.0.1:9/

# The visible window whose name matches $1 (a pattern), once there is one.
window_named() { xdotool search --onlyvisible --name "$1" | head -n 1 | grep .; }
await_window() {
    wait_for 20 window_named "$1" || fail "no window \"$1\" appeared"
    window="$(window_named "$1")"
    sleep 1 # let the window manager frame and place it
}
# The frame of window $1 on the screen (title bar and borders included) as "x y width height".
frame_of() {
    info="$(xwininfo -id "$1")"
    x=$(echo "$info" | sed -n 's/^ *Absolute upper-left X: *//p')
    y=$(echo "$info" | sed -n 's/^ *Absolute upper-left Y: *//p')
    w=$(echo "$info" | sed -n 's/^ *Width: *//p')
    h=$(echo "$info" | sed -n 's/^ *Height: *//p')
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ' ')
    [ -n "$extents" ] || fail "window $1 has no frame"
    IFS=, read -r left right top bottom <<END
$extents
END
    echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}
# Fails unless the frame $2 (x y width height) is centred in the area $3 (the same), to a pixel; $1 names it.
check_centred() {
    set -- "$1" $2 $3
    dx=$((2 * $2 + $4 - 2 * $6 - $8))
    dy=$((2 * $3 + $5 - 2 * $7 - $9))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] ||
        fail "$1: frame at $2,$3 ($4 x $5) is not centred in $6,$7 ($8 x $9)"
    echo "$1 centred: frame at $2,$3 ($4 x $5)"
}
# Activates window $1, types the text $2 into it, then presses the key $3 (as a person at the keyboard would).
type_into() {
    xdotool windowactivate --sync "$1"
    [ -z "$2" ] || xdotool type --delay 20 "$2"
    xdotool key "$3"
}
check_icon() {
    xprop -id "$2" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "$1 does not carry the program's icon"
}
screen="0 0 $(xwininfo -root | sed -n 's/^ *Width: *//p') $(xwininfo -root | sed -n 's/^ *Height: *//p')"

# Started from another folder, with a file, as "open with" does.
(cd "$work/home" && exec "$work/program/kelvara" "$work/files/bericht.txt") >"$work/run.log" 2>&1 &
app_pid=$!

await_window "Datenschtzerkl"
check_centred "consent window" "$(frame_of "$window")" "$screen"
check_icon "the consent window" "$window"
xdotool mousemove --window "$window" 369 442 click 1 # "akzeptieren"

await_window '^Kelvara '
main="$window"
main_frame="$(frame_of "$main")"
check_icon "the main window" "$main"
xprop -id "$main" _NET_WM_WINDOW_TYPE | grep -q '_NET_WM_WINDOW_TYPE_NORMAL' || fail "the main window is not a normal window"
! xprop -id "$main" _NET_WM_STATE | grep -q SKIP_TASKBAR || fail "the main window is kept off the taskbar"

await_window '^Kelvara$'
check_centred "password dialog" "$(frame_of "$window")" "$main_frame"
check_icon "the password dialog" "$window"
type_into "$window" geheim Return

# The save dialog proposes bericht.txt.kvra in the file's folder: Enter takes it; the message box confirms.
await_window 'Speichern'
type_into "$window" "" Return
# A file to encrypt: the password is asked once more, over the main window.
await_window 'Passwort best'
check_centred "confirmation dialog" "$(frame_of "$window")" "$main_frame"
type_into "$window" geheim Return
wait_for 20 test -s "$work/files/bericht.txt.kvra" || fail "Enter in the save dialog did not write next to the file"
[ ! -e "$work/home/bericht.txt.kvra" ] || fail "the result went to the working folder"
await_window '^Kelvara$'
type_into "$window" "" Return
echo "the save dialog started in the file's folder"

# The information sign at 512, 0 of the panel below the 68-pixel banner strip opens the About window.
xdotool mousemove --window "$main" 528 84 click 1
await_window '^AboutForm$'
check_centred "About window" "$(frame_of "$window")" "$screen"
check_icon "the About window" "$window"
type_into "$window" "" Return
wait_for 10 sh -c '! xdotool search --onlyvisible --name "^AboutForm$"' || fail "OK did not close the About window"

xdotool mousemove --window "$main" 571 458 click 1 # "Beenden"
wait_for 15 sh -c "! kill -0 $app_pid" || fail "\"Beenden\" did not end the program"
wait "$app_pid" || fail "the program ended with an error"
app_pid=""
echo "first start with a file passed"
