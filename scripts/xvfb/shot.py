"""Reads pixels of binary PPM screenshots (`import -window root -depth 8 shot.ppm`).

    shot.py pixel SHOT X Y [X Y ...]
        prints RRGGBB for each point, one a line
    shot.py blocks RRGGBB WIDTH HEIGHT SHOT [SHOT ...]
        for each shot, prints "SHOT X Y ..." with the top-left corner of every block of at
        least WIDTH x HEIGHT pixels all of exactly that colour whose top and left edges border
        another colour, or "SHOT" alone when there is none
    shot.py count SHOT X Y WIDTH HEIGHT MIN
        prints how many pixels of the rectangle have red, green and blue all at least MIN
    shot.py dark SHOT X Y WIDTH HEIGHT MAX
        prints how many pixels of the rectangle have red, green and blue all at most MAX
    shot.py differ SHOT1 SHOT2 X Y WIDTH HEIGHT
        prints how many pixels of the rectangle differ between the two shots
    shot.py box SHOT RRGGBB
        prints "X Y WIDTH HEIGHT" of the box round every pixel of exactly that colour, or
        nothing when there is none
    shot.py steps SHOT X Y WIDTH HEIGHT
        prints two counts over the rectangle: pixels at even x that differ from their right
        neighbour, and pixels at odd x that do; a picture enlarged twice from half its
        resolution has no differing pair of the first kind
"""

import sys


class Shot:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        fields = []
        at = 0
        while len(fields) < 4:
            while data[at : at + 1].isspace():
                at += 1
            if data[at : at + 1] == b"#":
                at = data.index(b"\n", at) + 1
                continue
            start = at
            while not data[at : at + 1].isspace():
                at += 1
            fields.append(data[start:at])
        if fields[0] != b"P6":
            raise ValueError(f"{path} is not a binary PPM")
        self.width, self.height, maxval = (int(v) for v in fields[1:])
        if maxval != 255:
            raise ValueError(f"{path} has {maxval} levels a channel, not 255")
        self.pixels = data[at + 1 :]
        if len(self.pixels) < self.width * self.height * 3:
            raise ValueError(f"{path} is cut short")

    def rgb(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise ValueError(f"({x}, {y}) is off the {self.width}x{self.height} screen")
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i : i + 3])


def hexof(rgb):
    return "%02X%02X%02X" % rgb


def corners(s, key):
    """Pixels of the colour whose left and upper neighbours are not of it (or off the screen)."""
    i = s.pixels.find(key)
    while i >= 0:
        if i % 3 == 0:
            p = i // 3
            x, y = p % s.width, p // s.width
            left = x > 0 and s.pixels[i - 3 : i] == key
            up = y > 0 and s.pixels[i - s.width * 3 : i - s.width * 3 + 3] == key
            if not left and not up:
                yield x, y
        i = s.pixels.find(key, i + 1)


def parse_rgb(text):
    v = int(text, 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


def main(argv):
    if len(argv) >= 4 and argv[0] == "pixel" and len(argv) % 2 == 0:
        s = Shot(argv[1])
        coords = [int(v) for v in argv[2:]]
        for x, y in zip(coords[::2], coords[1::2]):
            print(hexof(s.rgb(x, y)))
        return 0
    if len(argv) >= 5 and argv[0] == "blocks":
        key = bytes(parse_rgb(argv[1]))
        w, h = int(argv[2]), int(argv[3])
        for path in argv[4:]:
            s = Shot(path)
            found = []
            for x, y in corners(s, key):
                if x + w <= s.width and y + h <= s.height and all(
                    s.pixels[((y + r) * s.width + x) * 3 : ((y + r) * s.width + x + w) * 3]
                    == key * w
                    for r in range(h)
                ):
                    found.append(f"{x} {y}")
            print(" ".join([path] + found))
        return 0
    if len(argv) == 7 and argv[0] == "count":
        s = Shot(argv[1])
        x0, y0, w, h, least = (int(v) for v in argv[2:])
        n = 0
        for y in range(max(0, y0), min(s.height, y0 + h)):
            for x in range(max(0, x0), min(s.width, x0 + w)):
                if min(s.rgb(x, y)) >= least:
                    n += 1
        print(n)
        return 0
    if len(argv) == 7 and argv[0] == "dark":
        s = Shot(argv[1])
        x0, y0, w, h, most = (int(v) for v in argv[2:])
        n = 0
        for y in range(max(0, y0), min(s.height, y0 + h)):
            for x in range(max(0, x0), min(s.width, x0 + w)):
                if max(s.rgb(x, y)) <= most:
                    n += 1
        print(n)
        return 0
    if len(argv) == 7 and argv[0] == "differ":
        a, b = Shot(argv[1]), Shot(argv[2])
        x0, y0, w, h = (int(v) for v in argv[3:])
        n = 0
        for y in range(max(0, y0), min(a.height, b.height, y0 + h)):
            for x in range(max(0, x0), min(a.width, b.width, x0 + w)):
                if a.rgb(x, y) != b.rgb(x, y):
                    n += 1
        print(n)
        return 0
    if len(argv) == 3 and argv[0] == "box":
        s = Shot(argv[1])
        key = bytes(parse_rgb(argv[2]))
        xs, ys = [], []
        for y in range(s.height):
            row = s.pixels[y * s.width * 3 : (y + 1) * s.width * 3]
            at = row.find(key)
            while at >= 0:
                if at % 3 == 0:
                    xs.append(at // 3)
                    ys.append(y)
                at = row.find(key, at + 1)
        if xs:
            print(min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
        return 0
    if len(argv) == 6 and argv[0] == "steps":
        s = Shot(argv[1])
        x0, y0, w, h = (int(v) for v in argv[2:])
        even = odd = 0
        for y in range(max(0, y0), min(s.height, y0 + h)):
            for x in range(max(0, x0), min(s.width - 1, x0 + w)):
                if s.rgb(x, y) != s.rgb(x + 1, y):
                    if x % 2 == 0:
                        even += 1
                    else:
                        odd += 1
        print(even, odd)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
