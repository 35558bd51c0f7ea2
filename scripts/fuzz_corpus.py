#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into OUT/<target>/: the demo project's page files,
project file and logo, rows files of the kinds File > "Import Pages..." reads, files of the kinds the tests build (settings files, waves of every
width, small pictures in each format Qt reads), and the regression inputs kept under
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


def regressions(out):
    """Inputs that once broke a reader stay in its corpus."""
    kept = os.path.join(ROOT, "tests", "data", "fuzz")
    if not os.path.isdir(kept):
        return
    for target in sorted(os.listdir(kept)):
        for name in sorted(os.listdir(os.path.join(kept, target))):
            with open(os.path.join(kept, target, name), "rb") as f:
                put(out, target, "regression-" + name, f.read())


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    pages(out)
    extension_blocks(out)
    rows_files(out)
    ini_files(out)
    waves(out)
    pictures(out)
    regressions(out)


if __name__ == "__main__":
    main()
