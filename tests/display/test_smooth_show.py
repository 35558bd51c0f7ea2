"""A Smooth show on the screen: each refresh shows the line where its move puts it then, and
Escape sends the line out from where it stands at once, the show ending once it is gone."""

import time

import pytest

from support import files, pixels
from support.files import ORANGE, line
from support.wait import keep, poll

pytestmark = pytest.mark.xvfb
PLACE = dict(top=40, left=40, height=492, width=649)


def smooth_project(folder, **page):
    project = files.project(folder, line(bitmap="orange.bmp", x=700, y=600, move_in=5,
                                         move_out=6), **page)
    with open(project / "xvfb.kvt", "a") as f:
        f.write("Motion=Smooth\n")
    return project


def test_escape_half_way_through_a_slow_move_sends_the_line_out_from_where_it_stands(
        start_app, folder):
    # 200 pixels a second (5 ms a pixel) from x = -40 to 700: 3.7 s in, then a 5 s hold.
    app = start_app(smooth_project(folder / "smooth", fadedelay=5000, pause=5), **PLACE)
    s = app.screen
    app.play()
    app.wait(app.playback_shown, 5, "the playback window after Ctrl+P")
    n = [0]

    def picture_x():
        # Between two pixels the picture's edge columns are blended with the black around it;
        # inside, it stays its own colour.
        n[0] += 1
        found = pixels.box(s.shoot(f"smooth-{n[0]}"), ORANGE)
        return found[0] if found and found[2] >= 36 and found[3] == 28 else None

    # On its way in, every look finds the picture further right.
    before = []
    half = poll(lambda: (x := picture_x()) is not None and (before.append(x) or x > 300), 6)[0]
    assert half, f"the picture never came half way in: it was seen at {before} (smooth-*.png)"
    assert all(b > a for a, b in zip(before, before[1:])), \
        f"coming in, the picture did not move right on every look: {before}"
    s.keys_to(app.playback, "Escape")
    escaped, at, shot = time.monotonic(), before[-1], n[0]
    after = []
    # From where it stood it turns and leaves leftwards, never reaching its resting place.
    gone = poll(lambda: (x := picture_x()) is None or (after.append(x) and False), 4)[0]
    # The screen just before Escape and the two looks after it, kept as PNG.
    keep(s.folder, *(f"smooth-{k}" for k in range(shot, min(shot + 3, n[0] + 1))))
    print(f"the picture seen at {before} coming in, at {after} after Escape")
    assert after, "no frame showed the picture after Escape"
    assert max(after) < at + 60, \
        f"after Escape the picture went on right, to {max(after)} from {at}: {after}"
    assert all(b < a for a, b in zip(after, after[1:])), \
        f"after Escape the picture did not move left on every look: {after}"
    assert gone, f"4 s after Escape the picture is still on the screen, at {after[-1]}"
    assert poll(app.editor_back, 3)[0], \
        f"the editor did not come back {time.monotonic() - escaped:.1f} s after Escape"
