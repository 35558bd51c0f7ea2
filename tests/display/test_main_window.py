"""The main window: the splash box before it, where it opens, and closing it."""

import time

import pytest

from support import files, pixels
from support.wait import fail, since

pytestmark = pytest.mark.xvfb
SPLASH_BLUE = "0000FF"


def on_screen(screen, geom):
    x, y, w, h = geom
    return w > 0 and h > 0 and x >= 0 and y >= 0 and x + w <= screen.width and \
        y + h <= screen.height


def splash_comes_and_goes(app, tag):
    """The splash box appears within 10 s of the start, blue, and closes itself within 6 s of
    appearing; the main window appears meanwhile, not over it."""
    s = app.screen
    splash = app.wait(app.splash, 10, "a splash box (a viewable 200x96 window)")
    seen = time.monotonic()
    assert "_NET_WM_WINDOW_TYPE_SPLASH" in s.kind(splash), "the 200x96 window is no splash"
    sx, sy, sw, sh = s.geom(splash)
    # The main window may open over the box's left part: its bottom-right corner stays clear of
    # a main window at (40, 40) of 649 x 492 and of one at the screen's right edge. Mapped is
    # not yet painted: the box is looked at until it shows.
    app.wait(lambda: pixels.at(s.shoot(f"{tag}-splash"), sx + 195, sy + 91), 2,
             f"the splash box at {(sx, sy, sw, sh)} to show blue near its bottom-right corner",
             SPLASH_BLUE)
    app.wait(app.main_shown, 10, "the main window to appear after the start")
    mx, my, mw, mh = s.geom(app.main)
    w = min(sx + sw, mx + mw) - max(sx, mx)
    h = min(sy + sh, my + mh) - max(sy, my)
    if w > 0 and h > 0 and s.top() == app.main:
        fail(f"the main window opened over the splash box and hides {100 * w * h // (sw * sh)}%"
             " of it")
    # Whatever the program does, the box must have closed itself 6 s after it appeared.
    app.wait(lambda: not s.viewable(splash), max(0, 6 - (time.monotonic() - seen)),
             "the splash box to close within 6 s of appearing")
    print(f"splash box closed {since(seen)} after it appeared")


def test_splash_comes_and_goes_and_the_window_opens_where_the_settings_say(
        start_app, still_project, main_caption):
    app = start_app(still_project, editor=False, top=40, left=40, height=492, width=649)
    splash_comes_and_goes(app, "a")
    assert app.screen.name(app.main) == main_caption
    geom = app.screen.geom(app.main)
    assert on_screen(app.screen, geom), f"the main window at {geom} is not all on the screen"
    assert geom == (40, 40, 649, 492), "the main window is not at the settings' place"


def test_settings_far_off_the_screen_still_open_the_window_on_it(start_app, still_project):
    app = start_app(still_project, editor=False, top=-99999, left=99999999, height=-5,
                    width=2147483647)
    splash_comes_and_goes(app, "d")
    geom = app.screen.geom(app.main)
    assert on_screen(app.screen, geom), f"the main window at {geom} is not all on the screen"
    print(f"main window at {geom}")


def test_alt_f_x_ends_the_program_and_keeps_the_window_place(start_app, still_project):
    app = start_app(still_project, top=40, left=40, height=492, width=649)
    s = app.screen
    geom = s.geom(app.main)
    app.menu("alt+f", "x")
    confirm = lambda: next((w for w in app.windows() if s.name(w) == "Confirm"
                            and s.viewable(w)), None)
    asked = app.wait(lambda: not app.alive() or confirm(), 5,
                     "the program to end or ask whether to save after Alt+F X")
    if asked is not True:
        print("the program asked whether to save the page; answered No")
        s.keys_to(asked, "alt+n")
        app.wait(lambda: not app.alive(), 5, "the program to end after answering No")
    assert app.proc.wait() == 0, "the program ended with a failing status"
    # Exit writes the settings file with the window's place.
    saved = tuple(int((files.settings_values(app.settings, k) or [-1])[-1])
                  for k in ("Left", "Top", "Width", "Height"))
    assert saved == geom, "after Exit the settings file holds another place than the window's"
