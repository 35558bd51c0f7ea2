"""Reads the running program's windows through AT-SPI, the accessibility bus, as a screen reader
does; run by the system's python3 (the one with pyatspi) with DBUS_SESSION_BUS_ADDRESS of the
program's session (started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1). Exits 1 when there is no
answer. Only showing objects are searched, so hidden windows and closed menus are skipped.

    atspi.py bus                       the bus answers (asking starts it)
    atspi.py ready PID                 the program of that process shows a window there
    atspi.py extents PID NAME [ROLE]   "X Y WIDTH HEIGHT" of the object of that name (and role)
    atspi.py named PID START [ROLE]    the whole name of the object whose name starts so
    atspi.py checked PID NAME [ROLE]   the object is checked
    atspi.py insight PID NAME          the lines wholly within the view of that text object
    atspi.py words PID NAME WORDS      "X Y WIDTH HEIGHT" of the words, in sight in that text
    atspi.py items PID NAME            its items' names, "* " before each selected one
"""

import sys

import pyatspi

def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:  # an application leaving the bus while it is read
            continue
    return None


def showing(obj):
    try:
        return obj.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def find(obj, name, role=None, start=False):
    """The first showing object under obj of that name, or with start=True of a name starting
    so (and of that role), depth first."""
    try:
        children = list(obj)
    except Exception:
        return None
    for child in children:
        if child is None or not showing(child):
            continue
        try:
            named = child.name.startswith(name) if start else child.name == name
            if named and (role is None or child.getRoleName() == role):
                return child
        except Exception:
            continue
        found = find(child, name, role, start)
        if found is not None:
            return found
    return None


def extents(obj):
    return tuple(obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))


def first_offset(text, below):
    """The first character whose box reaches below the given screen row (its bottom edge, or
    with below=False its top edge, past the row): characters run down the view in order, so a
    binary search over their boxes finds it."""

    def past(offset):
        x, y, w, h = text.getCharacterExtents(offset, pyatspi.DESKTOP_COORDS)
        return y + h > below[0] if below[1] else y >= below[0]

    lo, hi = 0, text.characterCount
    while lo < hi:
        mid = (lo + hi) // 2
        if past(mid):
            hi = mid
        else:
            lo = mid + 1
    return lo


def in_sight(view):
    """(offset of the first character in sight, the text of the lines wholly in sight)."""
    text = view.queryText()
    x, y, w, h = extents(view)
    first = first_offset(text, (y, False))
    end = first_offset(text, (y + h, True))
    return first, text.getText(first, max(first, end))


def main(argv):
    if argv == ["bus"]:
        list(pyatspi.Registry.getDesktop(0))
        return 0
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    command, pid = argv[0], int(argv[1])
    app = application(pid)
    if app is None:
        return 1
    if command == "ready" and len(argv) == 2:
        return 0 if any(showing(w) for w in app if w is not None) else 1
    if command == "extents" and len(argv) in (3, 4):
        obj = find(app, argv[2], argv[3] if len(argv) == 4 else None)
        if obj is None:
            return 1
        print(*extents(obj))
        return 0
    if command == "named" and len(argv) in (3, 4):
        obj = find(app, argv[2], argv[3] if len(argv) == 4 else None, start=True)
        if obj is None:
            return 1
        print(obj.name)
        return 0
    if command == "checked" and len(argv) in (3, 4):
        obj = find(app, argv[2], argv[3] if len(argv) == 4 else None)
        return 0 if obj is not None and obj.getState().contains(pyatspi.STATE_CHECKED) else 1
    if command == "insight" and len(argv) == 3:
        view = find(app, argv[2])
        if view is None:
            return 1
        print(in_sight(view)[1])
        return 0
    if command == "words" and len(argv) == 4:
        view = find(app, argv[2])
        if view is None:
            return 1
        first, sight = in_sight(view)
        at = sight.find(argv[3])
        if at < 0:
            return 1
        start = first + at
        text = view.queryText()
        print(*text.getRangeExtents(start, start + len(argv[3]), pyatspi.DESKTOP_COORDS))
        return 0
    if command == "items" and len(argv) == 3:
        view = find(app, argv[2])
        if view is None:
            return 1
        for item in view:
            if item is None:
                continue
            selected = item.getState().contains(pyatspi.STATE_SELECTED)
            print(("* " if selected else "") + item.name)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except Exception as e:  # the bus or the program went away while it was read
        print(f"atspi.py: {e}", file=sys.stderr)
        sys.exit(1)
