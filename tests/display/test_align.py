"""The align screen driven by the pointer, as a person does it: line 1's IN set to the hand-drawn
path, the screen opened with Ctrl+A, a curve drawn, line 2 dragged elsewhere, the screen left and
the page saved; the page file holds the path and the new place, the show follows the path, and
undoing the drag and the stroke takes both back."""

import math
import time

import pytest

from support import files, pixels
from support.files import GREEN, ORANGE, line
from support.wait import keep, poll

pytestmark = pytest.mark.xvfb
# The tool panel lies at (6, 6); its buttons are 27 pixels wide from x = 10: the six path
# buttons (P1In at 10), the grid boxes (52 and 62 pixels), then "Reset Current Path", "Hide
# Panel", "Project Info", "Help" and "Exit Alignment Screen" (400..427).
P1IN_X, EXIT_X, BUTTON_Y = 23, 413, 23
SAVE_PAGE = (442, 41)  # the editor's "S Pg"


def curve(k):
    """One pixel right a move, up and down by a sine never steeper than one pixel a move, so
    that the path (one pixel a move towards the pointer) follows it exactly."""
    return 401 + k, 300 + round(25 * math.sin((k + 1) / 30))


def align_screen_up(app):
    if not app.playback_shown():
        return "no align screen"
    shot = app.screen.shoot("n-align-open")
    return pixels.at(shot, 7, 20), pixels.blocks(shot, ORANGE), pixels.blocks(shot, GREEN)


def moves(points):
    return [a for x, y in points for a in ("mousemove", x, y)]


def test_a_path_drawn_and_a_picture_dragged_on_the_align_screen_are_saved_played_and_undone(
        start_app, folder):
    project = files.project(folder / "align", line(bitmap="orange.bmp", x=100, y=100,
                            move_in=13, move_out=13), line(bitmap="green.bmp", x=600, y=500,
                            move_in=13, move_out=13), fadedelay=3000, pause=1)
    page = project / "XVFB.000"
    app = start_app(project, top=0, left=0, height=492, width=649)
    s = app.screen
    # The hand-drawn path for line 1's IN: its IN button, then the pencil of the tool bar.
    s.xdotool("mousemove", 34, 106, "click", 1, "mousemove", 272, 70, "click", 1)
    app.play("ctrl+a")
    app.wait(lambda: align_screen_up(app), 5, "the align screen with its blue tool panel and "
             "the two pictures at their places", ("0000FF", [(101, 101)], [(601, 501)]))
    # The curve's first move's point is the path's first.
    s.xdotool("mousemove", P1IN_X, BUTTON_Y, "click", 1, "mousemove", 400, 300, "mousedown", 1,
              *moves(map(curve, range(240))))
    s.shoot("n-stroke")
    s.xdotool("mouseup", 1)
    # Line 2's picture dragged from its middle: its top-left corner follows the pointer; a
    # copy stays at its starting place.
    s.xdotool("mousemove", 620, 515, "mousedown", 1,
              *moves((620 + 14 * i, 515 - round(10.75 * i)) for i in range(1, 21)))
    # The program may still be working through the stroke's moves: the drag is looked at
    # until it shows.
    ok, at = poll(lambda: pixels.blocks(s.shoot("n-drag"), GREEN), 3, [(901, 301), (601, 501)])
    s.xdotool("mouseup", 1)
    keep(folder, "n-align-open", "n-stroke", "n-drag")
    assert ok, f"while dragged to (900, 300) line 2's picture stood at {at} (n-drag.png)"
    s.click(EXIT_X, BUTTON_Y)
    app.wait(app.editor_back, 3, "the exit button to leave the align screen")
    s.click(*SAVE_PAGE)
    # 240 moves: the counter at 239, the points 0..238 used, the last of them line 1's place.
    app.wait(lambda: files.lines_placed(page), 3, "the page file after the save",
             [(*curve(238), 239, -1), (900, 300, -1, -1), (0, 0, -1, -1)])
    path = files.in_path(page, 1)
    off = [(k, p) for k, p in enumerate(path) if p != curve(k)]
    assert not off, f"the stored path leaves the drawn curve: point {off[:1]}"

    # The show: line 1's picture on the curve on its way, at its end at last.
    app.play()
    pressed, seen, n, shown = time.monotonic(), set(), 0, False
    while time.monotonic() - pressed < 12 and n < 150:
        n += 1
        found = pixels.blocks(s.shoot("n-play-%03d" % n, (1000, 500)), ORANGE)
        seen.update(found[:1])
        shown = shown or app.playback_shown()
        if shown and app.editor_back():
            break
    off = [(x, y) for x, y in seen if not (0 <= x - 402 < 239 and (x - 1, y - 1) == curve(x - 402))]
    rest = tuple(v + 1 for v in curve(238))
    if off or len(seen) < 3 or rest not in seen:
        keep(folder, "n-play-001", "n-play-%03d" % n)
        pytest.fail(f"in {n} screenshots of the show line 1's picture stood at {len(seen)} "
                    f"places (corners): {sorted(seen)}; off the curve at {off[:1]}")
    print(f"the show moved line 1 along the curve: seen at {len(seen)} places")

    # Undo twice: the drag, then the stroke.
    s.keys_to(app.main, "ctrl+z", "ctrl+z")
    s.click(*SAVE_PAGE)
    app.wait(lambda: files.lines_placed(page), 3, "the page file after two undos and a save",
             [(100, 100, -1, -1), (600, 500, -1, -1), (0, 0, -1, -1)])
