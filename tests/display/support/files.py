"""The files the checks start Velmora with: solid-colour BMP pictures, page files, project files
and settings files; and the page files read back.

Page files are written byte by byte at the offsets of model/page_file.h (namespace pagelayout),
never through the program's own code, so a mistake in the program's reader shows up as a failing
check instead of being repeated here."""

import re
import struct
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]  # the repository

RECORD_SIZE = 25716
# model/page_file.h, namespace pagelayout. Index 0 of each list is line 1.
TEXT = [65, 146, 227]
TEXT_CHARS = 80
GRADIENT_START_COLOR = [328, 332, 336]
BITMAP_FILE = [583, 664, 745]
FILE_NAME_CHARS = 80
IN_DIRECTION = [826, 827, 828]
OUT_DIRECTION = [829, 830, 831]
FONT_SIZE = [832, 836, 840]
FONT_COLOR = [844, 848, 852]
SHADOW_COLOR = [856, 860, 864]
FONT_SIZE_COPY = [868, 872, 876]
POS_X = [888, 892, 896]
POS_Y = [900, 904, 908]
FONT_NAME = [915, 1171, 1427]
IN_PATH_LAST_INDEX = [1692, 9700, 17708]
OUT_PATH_LAST_INDEX = [1696, 9704, 17712]
IN_PATH_POINTS = [1700, 9708, 17716]
FADE_DELAY16, PAUSE_TIME, PAGE_NUMBER = 314, 880, 1686  # the 32-bit delay follows the pause
# The offsets must describe a record of exactly RECORD_SIZE bytes: the last field is line 3's
# out path, 1000 points of 4 bytes from 21716. Fields not set here (blur, gradient, shadow,
# style, wave file) stay zero, which is off or empty.
assert 21716 + 1000 * 4 == RECORD_SIZE

# The pictures the pages show: solid colours, 40 x 30 pixels with a one-pixel black frame drawn
# round them, so a picture at (X, Y) is a 38 x 28 block of its colour at (X + 1, Y + 1).
ORANGE, GREEN, MAGENTA, BLACK = "FFA000", "00C850", "C000C0", "000000"
PICTURES = {"orange.bmp": ORANGE, "green.bmp": GREEN, "magenta.bmp": MAGENTA}


def line(text="", bitmap="", x=0, y=0, move_in=5, move_out=6, **more):
    """A page's line. Directions: 1 moves in diagonally from the top left, 5 and 6 are the
    editor's defaults, 13 shows the line without movement."""
    return dict(text=text, bitmap=bitmap, x=x, y=y, **{"in": move_in, "out": move_out}, **more)


def put_string(buf, offset, max_chars, text):
    data = text.encode("cp1252")
    assert len(data) <= max_chars, f"{text!r} is longer than {max_chars} characters"
    buf[offset] = len(data)
    buf[offset + 1:offset + 1 + len(data)] = data


def colour(text):
    """RRGGBB as a person writes it -> the program's 0x00BBGGRR."""
    v = int(text, 16)
    return (v >> 16) & 255 | (v & 0xFF00) | (v & 255) << 16


def page(path, *lines, fadedelay=0, pause=0, number="000"):
    """A page file; each line a dict of text, bitmap, x, y, in, out, size and color (RRGGBB)."""
    buf = bytearray(RECORD_SIZE)
    assert len(lines) <= 3
    for i in range(3):
        line = {"text": "", "bitmap": "", "x": 0, "y": 0, "in": 5, "out": 6, "size": 40,
                "color": "FFFFFF", **(lines[i] if i < len(lines) else {})}
        put_string(buf, TEXT[i], TEXT_CHARS, line["text"])
        put_string(buf, BITMAP_FILE[i], FILE_NAME_CHARS, line["bitmap"])
        put_string(buf, FONT_NAME[i], 255, "Arial")
        buf[IN_DIRECTION[i]], buf[OUT_DIRECTION[i]] = line["in"], line["out"]
        for offsets, value in ((GRADIENT_START_COLOR, 0xFFFFFF), (FONT_SIZE, line["size"]),
                               (FONT_COLOR, colour(line["color"])), (SHADOW_COLOR, 0xC0C0C0),
                               (FONT_SIZE_COPY, line["size"]), (POS_X, line["x"]),
                               (POS_Y, line["y"]), (IN_PATH_LAST_INDEX, -1),
                               (OUT_PATH_LAST_INDEX, -1)):
            struct.pack_into("<i", buf, offsets[i], value)
    struct.pack_into("<H", buf, FADE_DELAY16, fadedelay & 0xFFFF)
    struct.pack_into("<ii", buf, PAUSE_TIME, pause, fadedelay)
    put_string(buf, PAGE_NUMBER, 3, number)
    path.write_bytes(bytes(buf))


def bmp(path, rgb, width=40, height=30):
    """A 24-bit bottom-up BMP of one colour."""
    v = int(rgb, 16)
    row = bytes([v & 255, (v >> 8) & 255, v >> 16]) * width
    pixels = (row + b"\0" * (-len(row) % 4)) * height
    path.write_bytes(struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54) +
                     struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels),
                                 3780, 3780, 0, 0) + pixels)


def project_file(path, last_page):
    path.write_text("[VelmoraProject]\nProgram=Velmora-32\nVersion=1.30\n"
                    f"ProjectName={path.name}\nBirth=2026-01-01 00:00:00\n"
                    f"NumberOPages={last_page}\nUseColorBars=0\nUseCountDown=0\n"
                    "Holdtime=10\nBPP=24\nPalette=0\n")


def project(folder, *lines, **page_options):
    """A project xvfb.kvt in the folder with page 000 of those lines, and the pictures."""
    folder.mkdir(parents=True, exist_ok=True)
    for name, rgb in PICTURES.items():
        bmp(folder / name, rgb)
    page(folder / "XVFB.000", *lines, **page_options)
    project_file(folder / "xvfb.kvt", "000")
    return folder


def settings(path, project="", folder="", **place):
    """The settings file: the last project and its folder, the main window's place (top, left,
    height, width)."""
    rows = ["[VELMORA Options]", f"Lastproject={project}", f"Dir={folder}"]
    rows += [f"{key.capitalize()}={value}" for key, value in place.items()]
    path.write_text("\n".join(rows) + "\n")


def settings_values(path, key, section=None):
    """The values of a key in a settings file, in the order written; only those of the section
    when one is named."""
    text = path.read_text(errors="replace")
    if section:
        found = re.search(rf"^\[{re.escape(section)}\]\n((?:[^\[].*\n?)*)", text, re.M | re.I)
        text = found.group(1) if found else ""
    return re.findall(rf"^{key}=(.*)$", text, re.M)


def read_record(path):
    buf = path.read_bytes()
    assert len(buf) >= RECORD_SIZE, f"{path} has {len(buf)} bytes, less than {RECORD_SIZE}"
    return buf  # the record; an extension block may follow it


def line_text(path, n):
    buf = read_record(path)
    at = TEXT[n - 1]
    return buf[at + 1:at + 1 + min(buf[at], TEXT_CHARS)].decode("cp1252", "replace")


def lines_placed(path):
    """For each line: (x, y, in path's last index, out path's last index)."""
    buf = read_record(path)
    int32 = lambda at: struct.unpack_from("<i", buf, at)[0]
    return [(int32(POS_X[i]), int32(POS_Y[i]), int32(IN_PATH_LAST_INDEX[i]),
             int32(OUT_PATH_LAST_INDEX[i])) for i in range(3)]


def in_path(path, n):
    """The points of line n's in path that the path uses."""
    buf = read_record(path)
    i = n - 1
    last = struct.unpack_from("<i", buf, IN_PATH_LAST_INDEX[i])[0]
    return [struct.unpack_from("<HH", buf, IN_PATH_POINTS[i] + 4 * k)
            for k in range(max(0, min(last, 1000)))]


def user_dir(folder, key, path):
    """The home's user-dirs.dirs naming the folder of that kind (XDG_DOCUMENTS_DIR, ...)."""
    (folder / "home" / "config").mkdir(parents=True)
    (folder / "home" / "config" / "user-dirs.dirs").write_text(f'{key}="{path}"\n')
