"""Looks at binary PPM screenshots of the whole desktop (`grim -t ppm shot.ppm`).

    look.py box SHOT LOW HIGH X Y WIDTH HEIGHT
        prints "LEFT TOP RIGHT BOTTOM COUNT" of the pixels within the rectangle whose red, green
        and blue each lie between those of LOW and HIGH (RRGGBB); exits 1 when there is none
    look.py lit SHOT X Y WIDTH HEIGHT
        prints how many pixels of the rectangle are not black, looking at every fourth pixel of
        every fourth row
"""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "xvfb"))
from shot import Shot, parse_rgb  # noqa: E402


def box(s, low, high, x0, y0, w, h, step=3):
    """Every third row of the rectangle is searched by a regular expression, at the speed of C:
    a look-ahead finds every start, the pixels' own among them those at a multiple of three."""
    ranges = b"".join(b"[" + re.escape(bytes([a])) + b"-" + re.escape(bytes([b])) + b"]"
                      for a, b in zip(low, high))
    pattern = re.compile(b"(?=" + ranges + b")")
    x0, x1 = max(0, x0), min(s.width, x0 + w)
    left = top = None
    right = bottom = count = 0
    for y in range(max(0, y0), min(s.height, y0 + h), step):
        start = (y * s.width + x0) * 3
        for m in pattern.finditer(s.pixels, start, start + (x1 - x0) * 3):
            offset = m.start() - start
            if offset % 3:
                continue
            x = x0 + offset // 3
            left = x if left is None else min(left, x)
            right = max(right, x)
            top = y if top is None else top
            bottom = y
            count += 1
    return None if left is None else (left, top, right, bottom, count)


def main(argv):
    if len(argv) == 8 and argv[0] == "box":
        low, high = parse_rgb(argv[2]), parse_rgb(argv[3])
        found = box(Shot(argv[1]), low, high, *(int(v) for v in argv[4:]))
        if found is None:
            return 1
        print(*found)
        return 0
    if len(argv) == 6 and argv[0] == "lit":
        s = Shot(argv[1])
        x0, y0, w, h = (int(v) for v in argv[2:])
        n = 0
        for y in range(max(0, y0), min(s.height, y0 + h), 4):
            for x in range(max(0, x0), min(s.width, x0 + w), 4):
                if s.rgb(x, y) != (0, 0, 0):
                    n += 1
        print(n)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (OSError, ValueError) as e:  # a shot cut short
        print(f"look.py: {e}", file=sys.stderr)
        sys.exit(1)
