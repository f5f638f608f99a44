#!/usr/bin/python3
"""Walks the running Kelvara window's accessibility tree over AT-SPI and checks the name of every control.

Usage: accessible_names.py de|en

Each control of the table below is found by its role and its place in the window (the layout's rectangles,
in pixels from the window's top left corner) and must carry exactly the expected name of the language. Every
other push button, toggle, edit or text on the screen is a failure (a control without an entry here has not
been given a name anyone checked); a hidden one must at least have a name. Exits 1 on any failure, also when
pyatspi, the accessibility bus or the program's window cannot be reached.
"""
import sys
import time

# Roles a screen reader's user acts on: each must be named.
CHECKED_ROLES = {"push button", "toggle button", "check box", "radio button", "text", "password text", "entry",
                 "paragraph", "spin button", "combo box"}

# (role, (x, y, width, height) the control lies within, name in German, name in English)
CONTROLS = [
    ("frame", (0, 0, 619, 68), "Werbebanner", "Advertising banner"),
    ("label", (0, 0, 619, 68), "Werbung", "Advertisement"),
    ("status bar", (0, 492, 619, 19), "Statusleiste", "Status bar"),
    ("image", (545, 68, 64, 64), "Kelvara-Logo", "Kelvara logo"),
    ("image", (512, 68, 32, 32), "Über Kelvara", "About Kelvara"),
    ("password text", (97, 88, 158, 28), "Passwort", "Password"),
    ("check box", (97, 88, 158, 28), "Passwort anzeigen", "Show password"),
    ("frame", (20, 147, 585, 56), "Dateien", "Files"),
    ("push button", (44, 150, 37, 37), "Datei verschlüsseln", "Encrypt a file"),
    ("push button", (99, 150, 37, 37), "Datei entschlüsseln", "Decrypt a file"),
    ("text", (20, 220, 587, 163), "Text der verschlüsselt werden soll", "Text to encrypt"),
    ("push button", (25, 394, 37, 37), "Text verschlüsseln", "Encrypt text"),
    ("push button", (73, 394, 37, 37), "Text entschlüsseln", "Decrypt text"),
    ("push button", (534, 446, 75, 25), "Beenden", "Quit"),
]
LANGUAGES = {"de": 2, "en": 3}


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in LANGUAGES:
        fail("usage: accessible_names.py de|en")
    name_column = LANGUAGES[sys.argv[1]]
    try:
        import pyatspi
    except ImportError as error:
        fail("pyatspi is missing (scripts/setup.sh installs python3-pyatspi): %s" % error)

    window = find_main_window(pyatspi)
    found = []  # (role, (x, y, width, height) on the screen, then in the window, name, showing)
    collect(pyatspi, window, found)
    # The window's own extents may be its frame's or its client area's, depending on whether the window manager
    # has framed it yet; the banner strip lies at the client area's top left corner, so the controls give it.
    shown = [place for (_, place, _, showing) in found if showing and place[2] > 0 and place[3] > 0]
    if not shown:
        fail("the window shows no controls")
    left, top = min(place[0] for place in shown), min(place[1] for place in shown)
    found = [(role, (x - left, y - top, width, height), name, showing)
             for (role, (x, y, width, height), name, showing) in found]

    failures = []
    matched = set()
    for control in CONTROLS:
        role, area, expected = control[0], control[1], control[name_column]
        candidates = [i for i, (r, place, _, showing) in enumerate(found)
                      if r == role and showing and inside(place, area)]
        if len(candidates) != 1:
            failures.append("%d objects of role %s within %s instead of one (expected \"%s\")"
                            % (len(candidates), role, area, expected))
            continue
        index = candidates[0]
        matched.add(index)
        name = found[index][2]
        print("%-13s %-22s %s" % (role, area, name))
        if name != expected:
            failures.append("%s within %s is named \"%s\", expected \"%s\"" % (role, area, name, expected))
    for index, (role, place, name, showing) in enumerate(found):
        if index in matched or role not in CHECKED_ROLES:
            continue
        if showing:
            failures.append("%s at %s (named \"%s\") is not in the table of expected names" % (role, place, name))
        elif not name:
            failures.append("hidden %s has no name" % role)
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("all %d controls named as expected (%s)" % (len(CONTROLS), sys.argv[1]))


def find_main_window(pyatspi):
    """The window of the application "Kelvara" whose name starts with "Kelvara ", waiting up to 20 seconds."""
    deadline = time.monotonic() + 20
    seen = []
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        seen = []
        for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
            if app is None:
                continue
            seen.append(app.name)
            if app.name != "Kelvara":
                continue
            for window in (app.getChildAtIndex(i) for i in range(app.childCount)):
                if window is not None and window.name.startswith("Kelvara "):
                    return window
        time.sleep(0.2)
    fail("no window \"Kelvara …\" on the accessibility bus (applications seen: %s)" % seen)


def collect(pyatspi, node, found):
    for child in (node.getChildAtIndex(i) for i in range(node.childCount)):
        if child is None:
            continue
        extents = child.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        place = (extents.x, extents.y, extents.width, extents.height)
        showing = child.getState().contains(pyatspi.STATE_SHOWING)
        found.append((child.getRoleName(), place, child.name, showing))
        collect(pyatspi, child, found)


def inside(place, area):
    x, y, width, height = place
    ax, ay, awidth, aheight = area
    return ax <= x and ay <= y and x + width <= ax + awidth and y + height <= ay + aheight


if __name__ == "__main__":
    main()
