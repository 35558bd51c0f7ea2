"""Writes the files the real-display checks start Velmora with: a solid-colour BMP picture,
page files, a project file and a settings file.

Page files are written byte by byte at the offsets of model/page_file.h (namespace pagelayout),
never through the program's own code, so a mistake in the program's reader shows up as a
failing check instead of being repeated here.

    fixtures.py bmp FILE WIDTH HEIGHT RRGGBB
    fixtures.py page FILE [--fadedelay N] [--pause S] [--manual] [--number 000]
                          --line KEY=VALUE,...   (up to three times, line 1 first)
    fixtures.py project FILE NAME LASTPAGE
    fixtures.py settings FILE [--project PATH] [--dir DIR] [--top N] [--left N]
                              [--height N] [--width N]
    fixtures.py text FILE N
        prints the text of line N (1..3) of a page file
    fixtures.py read FILE
        prints, for each line of a page file, "N X Y IN_LAST OUT_LAST" (the resting position
        and the two paths' LastIndex), then "in N I X Y" for every point of each in path
        that the path uses

A --line takes text=..., bitmap=..., x=..., y=..., in=..., out=..., size=..., color=RRGGBB.
"""

import argparse
import struct
import sys

RECORD_SIZE = 25716

# model/page_file.h, namespace pagelayout. Index 0 of each list is line 1.
TEXT = [65, 146, 227]
TEXT_CHARS = 80
BLUR_ON = [308, 309, 310]
GRADIENT_ON = [311, 312, 313]
FADE_DELAY16 = 314
MPAUSE = 322
GRADIENT_START_COLOR = [328, 332, 336]
WAVE_FILE = [340, 421, 502]
BITMAP_FILE = [583, 664, 745]
FILE_NAME_CHARS = 80
IN_DIRECTION = [826, 827, 828]
OUT_DIRECTION = [829, 830, 831]
FONT_SIZE = [832, 836, 840]
FONT_COLOR = [844, 848, 852]
SHADOW_COLOR = [856, 860, 864]
FONT_SIZE_COPY = [868, 872, 876]
PAUSE_TIME = 880
FADE_DELAY = 884
POS_X = [888, 892, 896]
POS_Y = [900, 904, 908]
FONT_STYLE = [912, 913, 914]
FONT_NAME = [915, 1171, 1427]
FONT_NAME_CHARS = 255
SHADOW_ON = [1683, 1684, 1685]
PAGE_NUMBER = 1686
PAGE_NUMBER_CHARS = 3
IN_PATH_LAST_INDEX = [1692, 9700, 17708]
OUT_PATH_LAST_INDEX = [1696, 9704, 17712]
IN_PATH_POINTS = [1700, 9708, 17716]

# The offsets above must describe a record of exactly RECORD_SIZE bytes: the last field is
# line 3's out path, 1000 points of 4 bytes from 21716.
assert 21716 + 1000 * 4 == RECORD_SIZE


def put_int32(buf, offset, value):
    struct.pack_into("<i", buf, offset, value)


def put_uint16(buf, offset, value):
    struct.pack_into("<H", buf, offset, value & 0xFFFF)


def put_string(buf, offset, max_chars, text):
    data = text.encode("cp1252")
    if len(data) > max_chars:
        raise ValueError(f"{text!r} is longer than {max_chars} characters")
    buf[offset] = len(data)
    buf[offset + 1 : offset + 1 + len(data)] = data


def colour(text):
    """RRGGBB as written by a person -> the program's 0x00BBGGRR."""
    v = int(text, 16)
    r, g, b = (v >> 16) & 255, (v >> 8) & 255, v & 255
    return r | (g << 8) | (b << 16)


def parse_line(text):
    line = {"text": "", "bitmap": "", "x": 0, "y": 0, "in": 5, "out": 6, "size": 40,
            "color": "FFFFFF"}
    for item in filter(None, text.split(",")):
        key, sep, value = item.partition("=")
        if not sep or key not in line:
            raise ValueError(f"cannot read line setting {item!r}")
        line[key] = value if key in ("text", "bitmap", "color") else int(value)
    return line


def page_record(lines, fadedelay, pause, manual, number):
    buf = bytearray(RECORD_SIZE)
    while len(lines) < 3:
        lines.append(parse_line(""))
    for i, line in enumerate(lines):
        put_string(buf, TEXT[i], TEXT_CHARS, line["text"])
        buf[BLUR_ON[i]] = 0
        buf[GRADIENT_ON[i]] = 0
        put_int32(buf, GRADIENT_START_COLOR[i], 0xFFFFFF)
        put_string(buf, WAVE_FILE[i], FILE_NAME_CHARS, "")
        put_string(buf, BITMAP_FILE[i], FILE_NAME_CHARS, line["bitmap"])
        buf[IN_DIRECTION[i]] = line["in"] & 0xFF
        buf[OUT_DIRECTION[i]] = line["out"] & 0xFF
        put_int32(buf, FONT_SIZE[i], line["size"])
        put_int32(buf, FONT_COLOR[i], colour(line["color"]))
        put_int32(buf, SHADOW_COLOR[i], 0xC0C0C0)
        put_int32(buf, FONT_SIZE_COPY[i], line["size"])
        put_int32(buf, POS_X[i], line["x"])
        put_int32(buf, POS_Y[i], line["y"])
        buf[FONT_STYLE[i]] = 0
        put_string(buf, FONT_NAME[i], FONT_NAME_CHARS, "Arial")
        buf[SHADOW_ON[i]] = 0
        # No hand-drawn paths: last index -1, points left at zero.
        put_int32(buf, IN_PATH_LAST_INDEX[i], -1)
        put_int32(buf, OUT_PATH_LAST_INDEX[i], -1)
    put_uint16(buf, FADE_DELAY16, fadedelay)
    buf[MPAUSE] = 1 if manual else 0
    put_int32(buf, PAUSE_TIME, pause)
    put_int32(buf, FADE_DELAY, fadedelay)
    put_string(buf, PAGE_NUMBER, PAGE_NUMBER_CHARS, number)
    assert len(buf) == RECORD_SIZE
    return bytes(buf)


def bmp(width, height, rgb):
    """A 24-bit bottom-up BMP of one colour."""
    v = int(rgb, 16)
    pixel = bytes([v & 255, (v >> 8) & 255, (v >> 16) & 255])  # stored blue, green, red
    row = pixel * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780,
                       0, 0)
    return header + info + pixels


def read_page(path):
    with open(path, "rb") as f:
        buf = f.read()
    if len(buf) < RECORD_SIZE:  # the record; an extension block may follow it
        raise ValueError(f"{path} has {len(buf)} bytes, less than {RECORD_SIZE}")
    int32 = lambda at: struct.unpack_from("<i", buf, at)[0]
    rows, points = [], []
    for i in range(3):
        last = int32(IN_PATH_LAST_INDEX[i])
        rows.append(f"{i + 1} {int32(POS_X[i])} {int32(POS_Y[i])} {last} "
                    f"{int32(OUT_PATH_LAST_INDEX[i])}")
        for k in range(max(0, min(last, 1000))):
            x, y = struct.unpack_from("<HH", buf, IN_PATH_POINTS[i] + 4 * k)
            points.append(f"in {i + 1} {k} {x} {y}")
    return "\n".join(rows + points) + "\n"


def read_text(path, n):
    with open(path, "rb") as f:
        buf = f.read()
    if len(buf) < RECORD_SIZE:  # the record; an extension block may follow it
        raise ValueError(f"{path} has {len(buf)} bytes, less than {RECORD_SIZE}")
    at = TEXT[n - 1]
    length = min(buf[at], TEXT_CHARS)
    return buf[at + 1:at + 1 + length].decode("cp1252", "replace")


def write(path, data, mode="wb"):
    with open(path, mode) as f:
        f.write(data)


def main(argv):
    ap = argparse.ArgumentParser(prog="fixtures.py")
    sub = ap.add_subparsers(dest="what", required=True)

    p = sub.add_parser("bmp")
    p.add_argument("file")
    p.add_argument("width", type=int)
    p.add_argument("height", type=int)
    p.add_argument("rgb")

    p = sub.add_parser("page")
    p.add_argument("file")
    p.add_argument("--fadedelay", type=int, default=0)
    p.add_argument("--pause", type=int, default=0)
    p.add_argument("--manual", action="store_true")
    p.add_argument("--number", default="000")
    p.add_argument("--line", action="append", default=[])

    p = sub.add_parser("project")
    p.add_argument("file")
    p.add_argument("name")
    p.add_argument("lastpage")

    p = sub.add_parser("settings")
    p.add_argument("file")
    p.add_argument("--project", default="")
    p.add_argument("--dir", default="")
    for key in ("top", "left", "height", "width"):
        p.add_argument("--" + key, type=int)

    p = sub.add_parser("read")
    p.add_argument("file")

    p = sub.add_parser("text")
    p.add_argument("file")
    p.add_argument("line", type=int, choices=(1, 2, 3))

    a = ap.parse_args(argv)
    if a.what == "read":
        sys.stdout.write(read_page(a.file))
    elif a.what == "text":
        print(read_text(a.file, a.line))
    elif a.what == "bmp":
        write(a.file, bmp(a.width, a.height, a.rgb))
    elif a.what == "page":
        if len(a.line) > 3:
            ap.error("a page has three lines")
        lines = [parse_line(s) for s in a.line]
        write(a.file, page_record(lines, a.fadedelay, a.pause, a.manual, a.number))
    elif a.what == "project":
        write(a.file, "[VelmoraProject]\nProgram=Velmora-32\nVersion=1.30\n"
                      f"ProjectName={a.name}\nBirth=2026-01-01 00:00:00\n"
                      f"NumberOPages={a.lastpage}\nUseColorBars=0\nUseCountDown=0\n"
                      "Holdtime=10\nBPP=24\nPalette=0\n", "w")
    else:
        rows = ["[VELMORA Options]", f"Lastproject={a.project}", f"Dir={a.dir}"]
        for key in ("top", "left", "height", "width"):
            value = getattr(a, key)
            if value is not None:
                rows.append(f"{key.capitalize()}={value}")
        write(a.file, "\n".join(rows) + "\n", "w")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
