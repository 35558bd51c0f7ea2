"""Velmora on a Wayland desktop of two outputs side by side, as a native Wayland program: the
editor opens on the first output, HEADLESS-1 (1280x1024 at 0,0); Ctrl+P plays the page full
screen on the other, HEADLESS-2 (1920x1080 at 1280,0), the first line caught mid-way there and
later further on while the first output shows the editor; Escape brings the editor back with
the keyboard's focus; Configuration > "Show Screen...", driven by keys, chooses the editor's
output, which the settings file then names, and the show then plays there, over the editor."""

import re
import shutil
import struct
import time

import pytest

from support import files, pixels
from support.wait import keep

pytestmark = pytest.mark.wayland
OUT1, OUT2 = ("HEADLESS-1", (0, 0, 1280, 1024)), ("HEADLESS-2", (1280, 0, 1920, 1080))
MAIN, PLAYBACK, DIALOG = "Velmora-32 PRO ", "Velmora Playback", "Show Screen"
# The demo's page 000: line 1, "Velmora Pro", moves in from the left to rest at x 160, orange to
# yellow with its gradient; nothing else on the page has this much red and green and this
# little blue. The page is drawn on the demo's stage of 800 x 600, scaled to fit an output and
# centred on it.
LINE1 = ("C89600", "FFFF78")


def rest_x(geom):
    """Line 1's resting left edge on that output, from the output's left, and 40 stage pixels
    there: a stage length n is n * scale rounded half up."""
    w, h = geom[2:]
    num, den = (w, 800) if w * 600 <= h * 800 else (h, 600)
    length = lambda n: (2 * n * num + den) // (2 * den)
    return (w - length(800)) // 2 + length(160), length(40)


def place(d, prefix):
    """(output, full screen, focused) of the window whose title starts so, if it is visible."""
    found, _ = d.where(prefix)
    return found[:3] if found and found[3] else None


def matches(want):
    """A window's place as wanted, None in want for either."""
    return lambda seen: seen is not None and all(w is None or w == v for w, v in zip(want, seen))


def prepare(d):
    """The demo, its page played without the colour bars and the countdown before it, at a
    delay that lets a move be seen mid-way (5000 us a step: line 1 comes in over about 4 s),
    and with line 2 shown without its fade, which at that delay would hold Escape off for 8 s
    more (keys act between the steps of a show, not inside a fade)."""
    project = d.dir / "project"
    for f in (files.ROOT / "examples" / "demo").iterdir():
        shutil.copy(f, project)
    kvt = project / "demo.kvt"
    kvt.write_text(re.sub(r"^(UseColorBars|UseCountDown)=.*$", r"\1=0", kvt.read_text(),
                          flags=re.M))
    page = bytearray((project / "DEMO.000").read_bytes())
    struct.pack_into("<H", page, files.FADE_DELAY16, 5000)
    struct.pack_into("<i", page, files.PAUSE_TIME + 4, 5000)
    page[files.IN_DIRECTION[1]] = page[files.OUT_DIRECTION[1]] = 13  # shown as it stands
    (project / "DEMO.000").write_bytes(page)
    files.settings(d.dir / "config" / "velmora.ini", kvt, f"{project}/")


def start_editor(d):
    """The program started; the splash box (a window other than the editor) comes and goes,
    then the editor is alone and focused on the first output."""
    app = d.start_app()
    d.wait(lambda: d.where("")[1], 15, "a splash box beside the editor",
           lambda titles: titles and not all(t.startswith(MAIN) for t in titles))
    d.wait(lambda: (place(d, MAIN), all(t.startswith(MAIN) for t in d.where("")[1])), 10,
           "the editor alone and focused on HEADLESS-1", ((OUT1[0], False, True), True))
    return app


def play_on(d, tag, out, other, editor_seen):
    """Ctrl+P plays the page full screen on that output; line 1 is caught mid-way there and
    seen moving on; with editor_seen the other output shows the editor meanwhile, else line 1
    is not there. Escape then brings the editor back with the focus."""
    (name, geom), (_, other_geom) = out, other
    d.keys("-M", "ctrl", "-k", "p", "-m", "ctrl")
    d.wait(lambda: place(d, PLAYBACK), 10, f"a full-screen playback window on {name}",
           matches((name, True, None)))
    rest, margin = rest_x(geom)
    n = [0]

    samples = len(range(0, geom[2], 4)) * len(range(0, geom[3], 4))

    def line1():
        """Line 1's box on the output once the show covers it (mostly black: not the editor,
        whose title box shows line 1 too), with the shot's name."""
        n[0] += 1
        shot = d.shoot(f"{tag}-{n[0]}")
        covered = pixels.lit(shot, geom) < samples // 2
        return f"{tag}-{n[0]}", covered and pixels.in_range(shot, *LINE1, geom)

    mid, mid_box = d.wait(line1, 10, f"a shot of line 1 on {name} short of its resting place",
                          lambda v: v[1] and v[1][0] - geom[0] < rest - margin)
    # Moved on: its right edge (its left one may still be cut by the output's edge).
    later, later_box = d.wait(line1, 5, f"line 1 to move on from {mid_box}",
                              lambda v: v[1] and v[1][2] > mid_box[2])
    keep(d.folder, mid, later)
    shutil.copy(d.folder / f"{mid}.png", d.folder / f"{tag}-mid.png")
    shutil.copy(d.folder / f"{later}.png", d.folder / f"{tag}-later.png")
    shot = pixels.load((d.folder / f"{mid}.ppm").read_bytes())
    lit = pixels.lit(shot, other_geom)
    if editor_seen:
        assert lit >= 10000, f"the other output showed almost nothing ({lit} lit samples)"
    else:
        assert pixels.in_range(shot, *LINE1, other_geom) is None, \
            f"the show played on {name}, yet line 1 is on the other output too ({tag}-mid.png)"
    print(f"{tag}: line 1 at {mid_box} mid-way, later at {later_box}; the other output: {lit}")
    # Pressed during the move, Escape acts once the move has ended.
    esc = time.monotonic()
    d.keys("-k", "Escape")
    d.wait(lambda: d.where(PLAYBACK)[0] is None, 20, "Escape to close the playback window")
    d.wait(lambda: place(d, MAIN), 5, "the editor back on HEADLESS-1 with the focus",
           matches((OUT1[0], None, True)))
    print(f"{tag}: the editor back, focused, {time.monotonic() - esc:.2f} s after Escape")


def test_the_show_plays_on_the_other_output_then_on_the_one_chosen_in_show_screen(desktop):
    d = desktop
    prepare(d)
    start_editor(d)
    play_on(d, "second", OUT2, OUT1, editor_seen=True)
    # Configuration > "Show Screen..." (the menu's last item); the output's name typed selects
    # its line (the list selects the line that starts with what is typed); Enter for OK.
    d.keys("-M", "alt", "-k", "c", "-m", "alt")
    d.keys("-k", "Up")
    d.keys("-k", "Return")
    d.wait(lambda: place(d, DIALOG), 5, f'a focused "{DIALOG}" window on HEADLESS-1',
           matches((OUT1[0], None, True)))
    d.shoot("dialog")
    keep(d.folder, "dialog")
    d.keys(OUT1[0])
    d.keys("-k", "Return")
    d.wait(lambda: d.where(DIALOG)[0] is None, 5, f'Enter to close "{DIALOG}"')
    d.wait(lambda: files.settings_values(d.dir / "config" / "velmora.ini", "Name",
                                         "VELMORA Show Screen")[:1], 3,
           "the settings file to name the show's screen", [OUT1[0]])
    play_on(d, "first", OUT1, OUT2, editor_seen=False)
