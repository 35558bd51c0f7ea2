"""Reads screenshots: binary PPM files (`import -depth 8`, `grim -t ppm`) as arrays of rows of
red, green and blue, and the measures the checks take of them. Rectangles are (x, y, width,
height) on the screen; parts off the screenshot are left out."""

import numpy as np


def load(data):
    """The picture of a PPM file's bytes, an array of height x width x 3."""
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not a binary PPM of 8 bits a channel")
    w, h = int(fields[1]), int(fields[2])
    pixels = np.frombuffer(data, np.uint8, w * h * 3, at + 1)
    return pixels.reshape(h, w, 3)


def rgb(text):
    v = int(text, 16)
    return (v >> 16) & 255, (v >> 8) & 255, v & 255


def at(img, x, y):
    """RRGGBB of one pixel."""
    return "%02X%02X%02X" % tuple(img[y, x])


def part(img, rect):
    x, y, w, h = rect
    return img[max(0, y):max(0, y + h), max(0, x):max(0, x + w)]


def of_colour(img, colour):
    return np.all(img == rgb(colour), axis=2)


def blocks(img, colour, w=38, h=28):
    """Top-left corners (x, y), row by row, of each block of at least w x h pixels all of that
    colour whose left and upper neighbours are of another colour (or off the screen)."""
    m = of_colour(img, colour)
    left = np.zeros_like(m)
    left[:, 1:] = m[:, :-1]
    up = np.zeros_like(m)
    up[1:, :] = m[:-1, :]
    return [(int(x), int(y)) for y, x in np.argwhere(m & ~left & ~up)
            if m[y:y + h, x:x + w].shape == (h, w) and m[y:y + h, x:x + w].all()]


def bright(img, rect, least=250):
    """How many pixels of the rectangle have red, green and blue all at least `least`."""
    return int((part(img, rect).min(axis=2) >= least).sum())


def dark(img, rect, most=90):
    """How many pixels of the rectangle have red, green and blue all at most `most`."""
    return int((part(img, rect).max(axis=2) <= most).sum())


def differ(a, b, rect):
    """How many pixels of the rectangle differ between the two screenshots."""
    return int(np.any(part(a, rect) != part(b, rect), axis=2).sum())


def box(img, colour):
    """(x, y, width, height) round every pixel of exactly that colour, or None."""
    ys, xs = np.nonzero(of_colour(img, colour))
    if not len(xs):
        return None
    return int(xs.min()), int(ys.min()), int(xs.max() - xs.min() + 1), int(ys.max() - ys.min() + 1)


def steps(img, rect):
    """(even, odd): pixels at even and at odd x that differ from their right neighbour. A picture
    enlarged twice from half its resolution has no differing pair of the first kind."""
    x, y, w, h = rect
    x0, x1 = max(0, x), min(img.shape[1] - 1, x + w)
    p = img[max(0, y):max(0, y + h), x0:x1 + 1].astype(int)
    d = np.any(p[:, :-1] != p[:, 1:], axis=2)
    cols = np.arange(x0, x0 + d.shape[1])
    return int(d[:, cols % 2 == 0].sum()), int(d[:, cols % 2 == 1].sum())


def in_range(img, low, high, rect, step=3):
    """(left, top, right, bottom, count) of the pixels in every `step`-th row of the rectangle
    whose red, green and blue each lie between those of the colours low and high; or None."""
    x, y = max(0, rect[0]), max(0, rect[1])
    rows = part(img, rect)[::step]
    m = np.all((rows >= rgb(low)) & (rows <= rgb(high)), axis=2)
    ys, xs = np.nonzero(m)
    if not len(xs):
        return None
    return (x + int(xs.min()), y + step * int(ys.min()), x + int(xs.max()),
            y + step * int(ys.max()), int(len(xs)))


def lit(img, rect):
    """How many of every fourth pixel of every fourth row of the rectangle are not black."""
    return int(np.any(part(img, rect)[::4, ::4] != 0, axis=2).sum())
