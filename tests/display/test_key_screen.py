"""Live with a key screen on a Wayland desktop of three outputs: the editor on HEADLESS-1, the
show (the fill) full screen on HEADLESS-2 and its key full screen on HEADLESS-3, both outputs
1280 x 720. A white title on black: the key shows, pixel for pixel, how much the titles cover
the fill, which for white on black is the fill's own brightness; its grey steps with the fill's
through a fade, and Shift+Escape cuts both to black."""

import json
import time

import numpy as np
import pytest

from support import files, pixels
from support.files import line
from support.sway import windows
from support.wait import keep, poll

pytestmark = pytest.mark.wayland
EDITOR, FILL, KEY = (("HEADLESS-1", 1280, 1024, 0, 0), ("HEADLESS-2", 1280, 720, 1280, 0),
                     ("HEADLESS-3", 1280, 720, 2560, 0))
MAIN, LIVE, SHOW, KEYED = "Velmora-32 PRO ", "Velmora Live", "Velmora Live Show", "Velmora Live Key"
STILL = 0.8  # s without a change: the show at rest
LEVELS = 3  # how far a key's grey may stand from the fill's brightness
# The rows of each line on the fill's output (the stage fills the output, 1280 x 720): line 1
# stands in rows 218..273, line 2 in rows 338..393.
LINE1, LINE2 = slice(180, 300), slice(300, 420)


def key_project(folder):
    """A Smooth project of one page: "KEYED" in white at rest, then "FADE" fading in below it
    (about 2 s: 2 ms a step) and held."""
    p = files.project(folder, line("KEYED", x=300, y=200, move_in=13, move_out=13, size=60),
                      line("FADE", x=300, y=320, move_in=12, move_out=12, size=60),
                      fadedelay=5000, pause=30)
    with open(p / "xvfb.kvt", "a") as f:
        f.write("Motion=Smooth\n")
    return p


def window(d, title):
    """(output, full screen, focused, visible) of the window of exactly that title, or None."""
    for output, w in windows(json.loads(d.msg("-t", "get_tree"))):
        if w.get("name") == title:
            return (output, w.get("fullscreen_mode", 0) != 0, bool(w.get("focused")),
                    bool(w.get("visible")))
    return None


def part(img, out):
    _, w, h, x, y = out
    return img[y:y + h, x:x + w].astype(int)


class Shots:
    """Numbered shots of the whole desktop: the fill's and the key's outputs of each."""

    def __init__(self, d):
        self.d, self.n = d, 0

    def take(self, tag):
        self.n += 1
        self.last = f"{tag}-{self.n}"
        # Both outputs in one grab, and only them: quicker than the whole desktop.
        data = self.d.run("grim", "-t", "ppm", "-g", f"{FILL[3]},{FILL[4]} {FILL[1] + KEY[1]}x"
                          f"{FILL[2]}", "-", timeout=10, text=False)
        (self.d.folder / f"{self.last}.ppm").write_bytes(data)
        img = pixels.load(data).astype(int)
        return img[:, :FILL[1]], img[:, FILL[1]:]


def compare(fill, key):
    """What the key makes of the fill: (greyness, worst |key - fill brightness|, pixels that
    differ by more than LEVELS, pixels that differ at all, lit pixels of the fill)."""
    grey = int((key.max(axis=2) - key.min(axis=2)).max())
    brightness = fill.mean(axis=2)
    diff = np.abs(key[:, :, 0] - brightness)
    return (grey, float(diff.max()), int((diff > LEVELS).sum()), int((diff > 0.5).sum()),
            int((fill.max(axis=2) > 0).sum()))


def level(img, rows):
    return int(img[rows].max())


def black(img):
    return int((img.max(axis=2) > 0).sum()) == 0


@pytest.mark.parametrize("desktop", [[EDITOR, FILL, KEY]], indirect=True)
@pytest.mark.skip(reason="on the headless sway desktop a live show window still, about one run in "
                         "five, never shows the last frames of a fade (the fill or the key stops "
                         "a few levels short); this check waits on that being mended")
def test_the_key_screen_shows_the_fills_alpha_on_the_same_frames(desktop):
    d = desktop
    project = key_project(d.dir / "project")
    ini = d.dir / "config" / "velmora.ini"
    files.settings(ini, project / "xvfb.kvt", f"{project}/")
    with open(ini, "a") as f:
        f.write(f"[VELMORA Show Screen]\nName={FILL[0]}\n[VELMORA Key Screen]\nName={KEY[0]}\n")
    d.start_app()
    # The splash box comes and goes; then the editor is alone and focused on HEADLESS-1.
    d.wait(lambda: d.where(MAIN), 20, "the editor, alone and focused on HEADLESS-1",
           lambda v: v[0] and v[0][0] == EDITOR[0] and v[0][2] and
           all(t.startswith(MAIN) for t in v[1]))
    d.keys("-M", "ctrl", "-k", "l", "-m", "ctrl")
    d.wait(lambda: (window(d, SHOW), window(d, KEYED)), 10,
           "Ctrl+L to open the show full screen on HEADLESS-2 and the key on HEADLESS-3",
           lambda v: v[0] and v[1] and v[0][:2] == (FILL[0], True) and
           v[1][:2] == (KEY[0], True))
    d.wait(lambda: window(d, LIVE), 5, "the Live window", lambda v: v and v[3])
    shots = Shots(d)
    # Both black before any take (looked at until they are, as the windows' first frames
    # arrive).
    d.wait(lambda: shots.take("opened"), 5, "the fill and the key black",
           lambda v: black(v[0]) and black(v[1]))
    keep(d.folder, shots.last)

    d.msg(f'[title="^{LIVE}$"]', "focus")
    d.wait(lambda: window(d, LIVE), 5, "the Live window to have the focus",
           lambda v: v and v[2])
    d.keys("-k", "Return")

    # Through the fade: shot after shot, the fill's and the key's grey of line 2.
    fading = []

    def look():
        fill, key = shots.take("fade")
        fading.append((shots.last, compare(fill, key), level(fill, LINE2), level(key, LINE2)))
        return fading[-1]

    poll(look, 10, lambda v: v[1][4] > 0 and v[2] >= 250)
    keep(d.folder, *(n for n, *_ in fading))
    for name, seen, fill_level, key_level in fading:
        print(f"{name}: line 2 at {fill_level} in the fill, {key_level} in the key; key grey "
              f"within {seen[0]}, worst {seen[1]:.0f}, {seen[2]} pixels off by more than "
              f"{LEVELS}, {seen[3]} off at all, {seen[4]} lit")
    assert any(s[4] for _, s, *_ in fading), "the fill never showed the title after Return"
    assert fading[-1][2] >= 250, f"the fade never ended: {fading[-1]}"
    coloured = [n for n, s, *_ in fading if s[0]]
    assert not coloured, f"the key is not grey during the fade: {coloured}"
    key_levels = [k for *_, k in fading]
    assert key_levels == sorted(key_levels), \
        f"the key's fading line did not grow lighter from shot to shot: {key_levels}"
    mid = [(f, k, s[2]) for _, s, f, k in fading if 0 < f < 250]
    matched = [f for f, k, off in mid if off == 0]
    print(f"mid-fade shots: {len(mid)}, the key matching its fill on {len(matched)} "
          f"(line 2 at {matched}); apart on {[(f, k) for f, k, off in mid if off]}")
    assert len(mid) >= 3, f"the fade was seen mid-way on only {len(mid)} shots"
    assert matched, f"no shot of the fade showed the key matching its fill: {mid}"

    # At rest: the key white where the text is white, black where the fill is black, and the
    # fill's brightness everywhere. One output's picture may stand still for a few tenths of a
    # second while the other's goes on (seen in the fade above), so at rest is when neither
    # has changed for STILL seconds.
    rest = []

    def still():
        fill, key = shots.take("rest")
        rest.append((time.monotonic(), shots.last, hash(fill.tobytes() + key.tobytes())))
        now, _, seen = rest[-1]
        recent = [r for r in rest if r[0] >= now - STILL]
        return now - rest[0][0] >= STILL and len(recent) >= 5 and \
            all(r[2] == seen for r in recent) and level(fill, LINE2) == 255 and (fill, key)

    fill, key = d.wait(still, 8, f"the fill and the key to stand still for {STILL} s, line 2 "
                                 "faded in")
    name = rest[-1][1]
    since = ""
    if compare(fill, key)[2]:
        # The headless compositor sometimes shows one output's last frame later than the
        # other's (grim takes each output at a moment of its own); the two must then agree
        # once both are shown.
        t0 = time.monotonic()
        later, pair = poll(lambda: (p := shots.take("later")) and compare(*p)[2] == 0 and p, 3)
        since = (f"it matched {time.monotonic() - t0:.1f} s later" if later else
                 f"still so 3 s later ({shots.last}.png)")
        print(f"at rest the outputs differed at first; {since}")
        if later:
            fill, key = pair
            name = shots.last
    keep(d.folder, name)
    grey, worst, off, any_off, lit = compare(fill, key)
    white, dark = fill.min(axis=2) == 255, fill.max(axis=2) == 0
    diff = np.abs(key[:, :, 0] - fill.mean(axis=2))
    print(f"at rest ({name}): {lit} lit pixels in the fill, {int(white.sum())} white, "
          f"{lit - int(white.sum())} grey; the key grey within {grey}, worst difference "
          f"{worst:.0f}, {off} pixels off by more than {LEVELS}, {any_off} off at all; "
          f"fill R=G=B: {bool((fill.max(axis=2) == fill.min(axis=2)).all())}")
    assert white.sum() > 6000, f"the fill shows too little white text ({name}.png)"
    assert lit - white.sum() > 1000, f"the fill's text has too few grey edges ({name}.png)"
    assert grey == 0, f"the key is not grey everywhere: R, G and B differ by up to {grey}"
    assert (key[white] == 255).all(), \
        f"the key is not white where the fill's text is white: {sorted(set(key[white][:, 0]))[:5]}" \
        f" ({name}.png, the key and the fill unchanged for {STILL} s); {since}"
    assert (key[dark] == 0).all(), f"the key is not black where the fill is black ({name}.png)"
    assert off == 0, f"the key stands up to {worst:.0f} levels from the fill's brightness at " \
                     f"{off} pixels, first at {np.argwhere(diff > LEVELS)[:3].tolist()} " \
                     f"({name}.png); {since}"

    d.keys("-M", "shift", "-k", "Escape", "-m", "shift")
    d.wait(lambda: shots.take("cut"), 3, "Shift+Escape to cut the fill and the key to black",
           lambda v: black(v[0]) and black(v[1]))
    keep(d.folder, shots.last)
