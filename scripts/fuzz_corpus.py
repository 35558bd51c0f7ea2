#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into OUT/<target>/: the demo project's page files,
project file and logo, rows files of the kinds File > "Import Pages..." reads, files of the
kinds the tests build (settings files, waves of every width, small pictures in each format Qt
reads, pages with paths, pictures, waves and effects), and the regression inputs kept under
tests/data/fuzz/<target>/.

    scripts/fuzz_corpus.py OUT
"""
import os
import shutil
import struct
import subprocess
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO = os.path.join(ROOT, "examples", "demo")


def put(out, target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def demo(name):
    with open(os.path.join(DEMO, name), "rb") as f:
        return f.read()


def pages(out):
    for name in sorted(os.listdir(DEMO)):
        if name.upper().startswith("DEMO.0"):
            put(out, "fuzz_page_file", name, demo(name))
    # A page with every path in use and the numbers outside the controls' ranges.
    page = bytearray(demo("DEMO.000"))
    for at in (1692, 1696, 9700, 9704, 17708, 17712):
        page[at:at + 4] = struct.pack("<i", 999)
    page[880:884] = struct.pack("<i", 1000)
    page[884:888] = struct.pack("<i", -7)
    put(out, "fuzz_page_file", "ranges.000", bytes(page))


# Offsets of the page record's fields (model/page_file.h).
TEXT = (65, 146, 227)
BLUR_ON = (308, 309, 310)
GRADIENT_ON = (311, 312, 313)
MPAUSE = 322
WAVE_FILE = (340, 421, 502)
BITMAP_FILE = (583, 664, 745)
IN_DIRECTION = (826, 827, 828)
OUT_DIRECTION = (829, 830, 831)
FONT_SIZE = (832, 836, 840)
FONT_COLOR = (844, 848, 852)
PAUSE_TIME = 880
FADE_DELAY = 884
POS_X = (888, 892, 896)
POS_Y = (900, 904, 908)
FONT_STYLE = (912, 913, 914)
FONT_NAME = (915, 1171, 1427)
SHADOW_ON = (1683, 1684, 1685)
IN_PATH = (1692, 9700, 17708)    # the counter; the points follow at +8
OUT_PATH = (1696, 9704, 17712)   # the counter; the points at +4004


def string(page, at, text):
    data = text.encode("cp1252")
    page[at] = len(data)
    page[at + 1:at + 1 + len(data)] = data


def int32(page, at, value):
    page[at:at + 4] = struct.pack("<i", value)


def page_of(lines, fadedelay=0, pause=0, manual=False):
    """A page record: each line a dict of the fields it sets, the rest as a new page has them."""
    page = bytearray(25716)
    for i in range(3):
        line = lines[i] if i < len(lines) else {}
        string(page, TEXT[i], line.get("text", ""))
        string(page, FONT_NAME[i], line.get("font", "Arial"))
        int32(page, FONT_SIZE[i], line.get("size", 20))
        int32(page, FONT_COLOR[i], line.get("color", 0xFFFFFF))
        page[IN_DIRECTION[i]] = line.get("in", 13) & 0xFF
        page[OUT_DIRECTION[i]] = line.get("out", 13) & 0xFF
        int32(page, POS_X[i], line.get("x", 4))
        int32(page, POS_Y[i], line.get("y", 4 + 14 * i))
        page[FONT_STYLE[i]] = line.get("style", 0)
        page[SHADOW_ON[i]] = line.get("shadow", 0)
        page[BLUR_ON[i]] = line.get("blur", 0)
        page[GRADIENT_ON[i]] = line.get("gradient", 0)
        string(page, WAVE_FILE[i], line.get("wave", ""))
        string(page, BITMAP_FILE[i], line.get("picture", ""))
        for key, counter, first in (("in_path", IN_PATH[i], IN_PATH[i] + 8),
                                    ("out_path", OUT_PATH[i], OUT_PATH[i] + 4004)):
            last, points = line.get(key, (-1, []))
            int32(page, counter, last)
            for k, (x, y) in enumerate(points):
                page[first + 4 * k:first + 4 * k + 4] = struct.pack("<HH", x, y)
    int32(page, FADE_DELAY, fadedelay)
    page[314:316] = struct.pack("<H", fadedelay & 0xFFFF)
    int32(page, PAUSE_TIME, pause)
    page[MPAUSE] = 1 if manual else 0
    return page


def extension_block(fields):
    """The block after a record (docs/PAGE_FILE.md) of the fields {(kind, line): text}: kind 1
    a title, 2 a wave, 3 a picture, 4 a font name."""
    body = b""
    for (kind, line), text in sorted(fields.items()):
        value = text.encode("utf-8")
        body += struct.pack("<HI", kind * 256 + line, len(value)) + value
    return (b"VelmoraX" + struct.pack("<HHII", 1, 0, len(body), zlib.crc32(body) & 0xFFFFFFFF)
            + body)


def diagonal(n, x=2, y=2):
    return [(x + k, y + k // 2) for k in range(n)]


# Pages of the kinds the tests build, on a screen of 64 x 48.
TEST_PAGES = {
    "three-texts": page_of([{"text": "One", "x": 10, "y": 5, "in": 1, "out": 3},
                            {"text": "Two", "x": 20, "y": 20, "in": 9, "out": 10},
                            {"text": "Three", "x": 2, "y": 30, "in": 12, "out": 12}],
                           fadedelay=5, pause=1),
    "paths": page_of([{"text": "P", "in": 11, "out": 11, "in_path": (40, diagonal(40)),
                       "out_path": (30, diagonal(30, 20, 10))},
                      {"text": "Q", "in": 11, "out": 5, "in_path": (999, diagonal(1000))},
                      {"text": "R", "in": 7, "out": 11, "out_path": (1, [(60, 40)])}]),
    "pictures": page_of([{"picture": "pic.bmp", "in": 5, "out": 6, "x": 30, "y": 10},
                         {"picture": "demo_logo.bmp", "text": "logo", "in": 12, "out": 9},
                         {"picture": "missing.bmp", "text": "gone", "in": 8, "out": 7}]),
    "pictures-unreadable": page_of([{"picture": "FUZZ.000", "in": 2, "out": 4},
                                    {"text": "after", "in": 6, "out": 2}]),
    "waves": page_of([{"text": "A", "wave": "one.wav", "in": 5, "out": 6},
                      {"text": "B", "wave": "two.wav", "in": 3, "out": 1}], pause=1),
    "effects": page_of([{"text": "Blur", "blur": 1, "gradient": 1, "shadow": 1, "size": 30,
                         "style": 15, "in": 4, "out": 8},
                        {"text": "\u20acuro \u00e9t\u00e9", "font": "DejaVu Serif", "shadow": 1,
                         "in": 10, "out": 9},
                        {"text": "big", "size": 200, "in": 6, "out": 5}], fadedelay=20),
    "manual": page_of([{"text": "Space", "in": 13, "out": 12}], manual=True),
    "far": page_of([{"text": "far", "x": -70, "y": 60, "in": 1, "out": 2},
                    {"text": "corner", "x": 63, "y": 47, "in": 3, "out": 4}]),
    # Texts the record cannot hold, whole in the block after it; the record keeps their nearest
    # Windows-1252 forms.
    "scripts": bytes(page_of([{"text": "?????? ???", "in": 5, "out": 12},
                              {"text": "??", "font": "Noto Sans ?", "in": 12, "out": 6},
                              {"text": "????", "picture": "o/pic.bmp", "in": 9, "out": 10}]))
               + extension_block({(1, 1): "\u041f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440",
                                  (1, 2): "\u6771\u4eac", (4, 2): "Noto Sans \u0416",
                                  (1, 3): "\u05e9\u05dc\u05d5\u05dd",
                                  (3, 3): "\u0151/pic.bmp"}),
    "long-title": bytes(page_of([{"text": "Long " * 16, "size": 8, "in": 6, "out": 5}]))
                  + extension_block({(1, 1): ("Long " * 24).strip()}),
    "unknown-codes": page_of([{"text": "none", "in": 0, "out": 14},
                              {"text": "neg", "in": -1, "out": 127}]),
    # The page that once crashed the align screen: a damaged in-path counter on a line whose
    # path is drawn by hand.
    "last-index-minus-50": page_of([{"text": "Hand", "in": 11, "out": 11,
                                     "in_path": (-50, diagonal(10))}]),
}

# The harness's choices live in the record's reserved field (fuzz/fuzz_support.h); each target
# reads them its own way. For every page, variants take each line's IN and OUT through every
# direction code 0..13 and vary the screen and switches.
def show_choices(k):
    r = bytearray(65)
    r[0] = (k * 0x35) & 0xFF          # switches
    r[1] = k % 8                      # raster effect
    r[2], r[3] = 63, 47               # a 64 x 48 screen
    r[4] = (3 if k % 2 == 0 else 2) | (1 << 2)  # 32 or 24 bits, one second of colour bars
    for i in range(6):
        r[5 + i] = (k + i) % 14       # play B's direction codes
    r[11] = 0                         # the first armed path
    r[12] = 40                        # mouse moves
    r[13] = 0                         # paths up to 999
    r[14] = 0                         # never stopped
    r[15] = 2                         # marquee ticks
    for i in range(24):
        r[16 + 2 * i] = 64 + (i * 7 + k) % 64
        r[17 + 2 * i] = 64 + (i * 5 + 2 * k) % 48
    return bytes(r)


def print_choices(k):
    r = bytearray(65)
    r[0] = (k % 4) if k < 13 else 255 # the last page number, or "NEW"
    width, height = (4800, 6600) if k % 2 == 0 else (600, 300)
    r[1:3] = struct.pack(">H", width)
    r[3:5] = struct.pack(">H", height)
    r[5] = 20 + k
    return bytes(r)


def export_choices(k):
    r = bytearray(65)
    r[0] = (k % 4) | (1 << 2)         # leaders, one second of colour bars
    r[1], r[2] = 63, 47
    r[3] = k % 4                      # frame rate
    r[4] = 0 if k % 3 else 5          # the frames the writer takes
    r[5] = 5                          # half a second for the space bar
    return bytes(r)


PAGE_TARGETS = {"fuzz_page_show": show_choices, "fuzz_page_print": print_choices,
                "fuzz_page_export": export_choices}


def page_seeds(out):
    pages = {name: demo(name) for name in sorted(os.listdir(DEMO)) if name.upper().startswith("DEMO.0")}
    pages.update({name + ".000": bytes(page) for name, page in TEST_PAGES.items()})
    for target, choices in PAGE_TARGETS.items():
        for name, page in pages.items():
            for k in range(14):
                made = bytearray(choices(k))
                made[64] = k & 1  # every other variant mends the block's length and checksum
                put(out, target, "%s-%02d" % (name, k), bytes(made) + page[65:])
def extension_blocks(out):
    # The target's first byte chooses whether a block's header is made right for its body.
    for name in ("DEMO.000", "DEMO.003"):
        for mode in (0, 1):
            put(out, "fuzz_page_extension", "%s-%d" % (name, mode), bytes([mode]) + demo(name))


ROWS = {
    "plain.csv": "Zoë Ångström,Keynote,Nordlicht AB\nИван Петров,Chair,Яндекс\n王芳,Panel,\n",
    "semicolons.csv": "\ufeffLine 1;Line 2;Line 3;Pause\r\n\"Smith, John\";\"says \"\"hi\"\"\";ACME;4\r\n"
                      "محمد;;;\r\n\r\n",
    "tabs.tsv": "Line 3\tPicture 1\tWave 2\tPage\n\tlogo.bmp\tfanfare.wav\t007\nप्रिया\t\t\t\n",
    "export.csv": "\ufeffPage,Line 1,Line 2,Line 3,Picture 1,Picture 2,Picture 3,Wave 1,Wave 2,"
                  "Wave 3,Pause\r\n000,Velmora Pro,presents,,,,,,,,2\r\n003,,pictures fly too,,"
                  "demo_logo.bmp,,,,,,2\r\n",
    "broken.csv": "a, \"b, c\" ,d\n\"open\nx,\"y\"z\n",
}


def rows_files(out):
    for name, text in ROWS.items():
        put(out, "fuzz_page_rows", name, text.encode("utf-8"))
    put(out, "fuzz_page_rows", "latin1.csv", "Müller,Straße\n".encode("latin-1"))


PROJECT_VARIANTS = {
    "crlf.kvt": b"[VelmoraProject]\r\nProjectName=show.kvt\r\nHoldtime=$1F\r\nUseColorBars=1\r\n",
    "foreign.kvt": b"; kept\n[Other]\nx=1\n\n[velmoraproject]\nprojectname = 'C:\\old\\SHOW.KVT'\n"
                   b"Holdtime=0x10\nUseCountDown=-$1\n[Tail]\ny=2\n",
    "quoted.kvt": b"[VelmoraProject]\nProjectName=\"a b.kvt\"\nHoldtime=-12\nNumberOPages=NEW\n",
}

SETTINGS = (b"[VELMORA Options]\nProgram=Velmora-32\nVersion=1.30\nLastproject=/home/u/demo.kvt\n"
            b"Dir=/home/u/\nTop=10\nLeft=20\nHeight=492\nWidth=649\nBirth=06/12/2026 10:00:00\n"
            b"dpath=/home/u/\n")
SETTINGS_VARIANTS = {
    "velmora.ini": SETTINGS,
    "offscreen.ini": b"[velmora options]\nTop=-99999\nLeft=$7FFFFFFF\nHeight=0\nWidth=-1\n",
    "crlf.ini": SETTINGS.replace(b"\n", b"\r\n"),
}


def ini_files(out):
    put(out, "fuzz_project_file", "demo.kvt", demo("demo.kvt"))
    for name, data in PROJECT_VARIANTS.items():
        put(out, "fuzz_project_file", name, data)
    for name, data in SETTINGS_VARIANTS.items():
        put(out, "fuzz_settings_file", name, data)


def wave(fmt, channels, rate, bits, data, before=b"", declared=None):
    block = channels * bits // 8
    body = b"WAVE" + b"fmt " + struct.pack("<IHHIIHH", 16, fmt, channels, rate, rate * block,
                                           block, bits)
    body += before + b"data" + struct.pack("<I", len(data) if declared is None else declared) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def waves(out):
    cases = {
        "mono8.wav": wave(1, 1, 8000, 8, b"\x00\x80\xff\x40"),
        "stereo16.wav": wave(1, 2, 44100, 16, struct.pack("<4h", 0x1234, -292, 7, -7)),
        "mono24.wav": wave(1, 1, 48000, 24, b"\x56\x34\x12\x00\x00\x80"),
        "mono32.wav": wave(1, 1, 48000, 32, struct.pack("<2I", 0x89ABCDEF, 5)),
        "extensible.wav": wave(0xFFFE, 1, 8000, 16, struct.pack("<h", 7)),
        "odd-chunk.wav": wave(1, 1, 8000, 16, struct.pack("<h", 5), b"LIST\x03\x00\x00\x00abc\x00"),
        "long-data.wav": wave(1, 2, 8000, 16, struct.pack("<3h", 1, 2, 3), declared=1000),
    }
    for name, data in cases.items():
        put(out, "fuzz_wave_file", name, data)


def bmp24(width, height, pixel):
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height):
        row = bytearray()
        for x in range(width):
            row += bytes(pixel(x, y))
        row += b"\0" * (stride - len(row))
        data += row
    header = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    return header + info + bytes(data)


def png(width, height, pixel):
    raw = b"".join(b"\0" + b"".join(bytes(pixel(x, y)[::-1]) for x in range(width))
                   for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(
            ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def logo_pixel():
    """The demo logo's pixels (bytes blue, green, red), for cropping small pictures from it."""
    data = demo("demo_logo.bmp")
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3

    def pixel(x, y):
        at = offset + (height - 1 - (y * 7 % height)) * stride + (x * 11 % width) * 3
        return data[at:at + 3]

    return pixel


def pictures(out):
    pixel = logo_pixel()
    small = bmp24(12, 6, pixel)
    put(out, "fuzz_picture", "logo-crop.bmp", small)
    put(out, "fuzz_picture", "logo-crop.png", png(12, 6, pixel))
    ppm = b"P6\n12 6\n255\n" + b"".join(bytes(pixel(x, y)[::-1]) for y in range(6) for x in range(12))
    put(out, "fuzz_picture", "logo-crop.ppm", ppm)
    put(out, "fuzz_picture", "grey.pgm", b"P2\n3 2\n15\n0 5 10\n15 3 7\n")
    put(out, "fuzz_picture", "mono.pbm", b"P1\n4 2\n1 0 1 0\n0 1 0 1\n")
    put(out, "fuzz_picture", "mono.xbm",
        b"#define m_width 8\n#define m_height 2\nstatic char m_bits[] = { 0x0f, 0xf0 };\n")
    put(out, "fuzz_picture", "two.xpm",
        b'/* XPM */\nstatic char *t[] = {\n"3 2 2 1",\n"a c #FF0000",\n"b c None",\n"aba",\n"bab"};\n')
    # The formats of Qt's plugins, converted from the small BMP when ImageMagick is there.
    convert = shutil.which("convert")
    if convert and "ImageMagick" in subprocess.run([convert, "-version"], capture_output=True,
                                                   text=True).stdout:
        source = os.path.join(out, "fuzz_picture", "logo-crop.bmp")
        for suffix in ("jpg", "gif", "ico"):
            target = os.path.join(out, "fuzz_picture", "logo-crop." + suffix)
            subprocess.run([convert, source, target], check=True)


def extension_seeds(out):
    """Blocks for fuzz_page_extension: its first byte 1 has the target make the header's length
    and checksum right for the body, 0 leaves the bytes as they are."""
    fields = {(1, 1): "Привет мир", (1, 2): "東京", (1, 3): "שלום",
              (3, 1): "картинки/логотип.bmp", (2, 2): "音楽.wav", (4, 3): "Noto Sans CJK JP"}
    block = extension_block(fields)
    put(out, "fuzz_page_extension", "sealed", b"\x01" + block)
    put(out, "fuzz_page_extension", "as-written", b"\x00" + block)
    later = block + struct.pack("<HI", 0x7F02, 3) + b"abc"
    put(out, "fuzz_page_extension", "later-field", b"\x01" + later)
    put(out, "fuzz_page_extension", "none", b"\x00")


def regressions(out):
    """Inputs that once broke a reader stay in its corpus."""
    kept = os.path.join(ROOT, "tests", "data", "fuzz")
    if not os.path.isdir(kept):
        return
    for target in sorted(os.listdir(kept)):
        for name in sorted(os.listdir(os.path.join(kept, target))):
            with open(os.path.join(kept, target, name), "rb") as f:
                put(out, target, "regression-" + name, f.read())


def remote_requests(out):
    """Requests to the remote control, as fuzz_remote_request reads them."""
    def request(method, path, body=b"", auth=b"", flags=b"\x01"):
        return method + b"\n" + path + b"\n" + auth + b"\n" + flags + b"\n" + body
    def osc_string(s):
        s += b"\0"
        return s + b"\0" * (-len(s) % 4)
    seeds = {
        "take-clear": [request(b"POST", b"/api/take"), request(b"POST", b"/api/clear")],
        "cue-take-edit": [request(b"POST", b"/api/cue/002"), request(b"POST", b"/api/take"),
                          request(b"PUT", b"/api/pages/002/lines/1", b'{"text":"Edited"}')],
        "state": [request(b"GET", b"/api/state")],
        "token": [request(b"POST", b"/api/take", auth=b"Bearer tok", flags=b"\x02"),
                  request(b"POST", b"/api/cut?token=tok", flags=b"\x02")],
        "bad": [request(b"PUT", b"/api/pages/000/lines/1", b'{"text":'),
                request(b"GET", b"/../../etc/passwd")],
    }
    for name, parts in seeds.items():
        put(out, "fuzz_remote_request", name, b"\x1e".join(parts))
    put(out, "fuzz_remote_request", "osc-take", osc_string(b"/velmora/take") + osc_string(b","))
    put(out, "fuzz_remote_request", "osc-text",
        osc_string(b"/velmora/text") + osc_string(b",iis") + (1).to_bytes(4, "big") +
        (1).to_bytes(4, "big") + osc_string(b"Hello"))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    pages(out)
    page_seeds(out)
    extension_blocks(out)
    rows_files(out)
    ini_files(out)
    waves(out)
    pictures(out)
    extension_seeds(out)
    remote_requests(out)
    regressions(out)


if __name__ == "__main__":
    main()
