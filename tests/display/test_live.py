"""Live on the screen: Window > Live (Ctrl+L) opens the Live window over a black show screen;
Return takes the cued page (its line moves in), Escape clears it (it leaves from where it
stands), an edit made in the editor reaches the show screen and the Program while the page is on
air, Shift+Escape cuts to black; and a minute of takes presents a frame at every refresh, each
take on the screen at the next one."""

import re
import statistics
import time
from collections import Counter

import pytest

from support import files, pixels
from support.files import line
from support.wait import keep, poll

pytestmark = pytest.mark.xvfb
PLACE = dict(top=20, left=20, height=480, width=640)  # the editor: x 20..660, y 20..500
LIVE_CAPTION, SHOW_CAPTION = "Velmora Live", "Velmora Live Show"
# Of the show screen, the part neither the editor nor the Live window (under the editor, from
# y = 507) covers; the titles stand there.
SHOW_AREA = (670, 30, 610, 470)
NEXT_PAGE = (290, 61)  # "Next Pg" in the editor's tool bar
TITLE_1 = (580, 127)  # the editor's edit box of line 1
EDIT_BOX_1 = (76, 105, 520, 43)
WHITE_ENOUGH = ("C8C8C8", "FFFFFF")


def live_project(folder, pages, **page):
    """A Smooth project of those pages, each a white line of text at (700, 150) coming in from
    the left and leaving to the left."""
    p = files.project(folder, line(pages[0], x=700, y=150, size=60), **page)
    for n, text in enumerate(pages[1:], 1):
        files.page(p / f"XVFB.{n:03}", line(text, x=700, y=150, size=60), number=f"{n:03}",
                   **page)
    files.project_file(p / "xvfb.kvt", f"{len(pages) - 1:03}")
    with open(p / "xvfb.kvt", "a") as f:
        f.write("Motion=Smooth\n")
    return p


def window_named(app, caption):
    """The program's viewable window of exactly that caption."""
    s = app.screen
    return next((w for w in app.windows() if s.name(w) == caption and s.viewable(w)), None)


def open_live(app):
    """Ctrl+L in the editor; the Live window and the show window once both are shown."""
    app.screen.keys_to(app.main, "ctrl+l")
    live = app.wait(lambda: window_named(app, LIVE_CAPTION), 5, "Ctrl+L to open the Live window")
    show = app.wait(lambda: window_named(app, SHOW_CAPTION), 5, "Ctrl+L to open the show window")
    return live, show


def text_box(img, rect):
    """(left, top, right, bottom, count) of the white text's pixels in the rectangle, or None."""
    return pixels.in_range(img, *WHITE_ENOUGH, rect, step=1)


def right_edge(img, rect):
    found = text_box(img, rect)
    return found[2] if found else None


class Looks:
    """Numbered screenshots, the last one kept as PNG on request."""

    def __init__(self, screen):
        self.screen, self.n = screen, 0

    def take(self, name):
        self.n += 1
        self.last = f"{name}-{self.n}"
        self.img = self.screen.shoot(self.last)
        return self.img

    def show_edge(self, name):
        return right_edge(self.take(name), SHOW_AREA)

    def keep(self):
        keep(self.screen.folder, self.last)


def extents(app, name, role):
    return tuple(int(v) for v in app.atspi("extents", name, role).split())


def views(app):
    """The Preview's and the Program's rectangles. The Program is the view of that name; the
    Preview, a picture under its caption as the Program is, stands as far above the Program as
    its caption above the Program's."""
    program = extents(app, "Program", "filler")
    captions = extents(app, "Preview", "label"), extents(app, "Program", "label")
    return (program[0], program[1] - (captions[1][1] - captions[0][1]), 320, 180), program


def status(app):
    return app.atspi("named", "On air:")


def test_live_takes_clears_edits_and_cuts_on_the_show_screen(start_app, folder):
    # 5 s a move: the line comes in from off the left edge to x = 700, a few hundred pixels a
    # second, seen right of the editor for its last part.
    app = start_app(live_project(folder / "live", ["Page0", "Page1", "Page2"], fadedelay=5000),
                    on_bus=True, **PLACE)
    s = app.screen
    live, show = open_live(app)
    assert s.geom(show) == (0, 0, s.width, s.height), "the show window does not cover the screen"
    app.wait(lambda: status(app), 5, "the Live window's status", "On air: none   Cued: 000")
    rundown = app.atspi("items", "Rundown") or ""
    assert all(t in rundown for t in ("000", "Page0", "Page1", "Page2")), \
        f"the rundown does not list the pages and their lines: {rundown!r}"
    preview, program = views(app)
    assert program[2:] == (320, 180), f"the Program is not 320 x 180: {program}"
    looks = Looks(s)
    opened = looks.take("opened")
    looks.keep()
    assert text_box(opened, preview), "the Preview does not show the cued page's line"
    assert pixels.lit(opened, SHOW_AREA) == 0, "the show screen is not black before any take"
    assert pixels.lit(opened, program) == 0, "the Program is not black before any take"

    # Take: the line comes in from the left, further right at every look.
    s.keys_to(live, "Return")
    coming = []
    half = poll(lambda: (x := looks.show_edge("in")) is not None and
                (coming.append(x) or x >= 800), 6)[0]
    looks.keep()
    assert half, f"the taken line never came half way in: its right end was seen at {coming}"
    assert len(coming) >= 2 and all(b > a for a, b in zip(coming, coming[1:])), \
        f"coming in, the line did not move right on every look: {coming}"

    # Clear half way: it turns and leaves leftwards from where it stood.
    s.keys_to(live, "Escape")
    cleared_at, leaving = coming[-1], []
    gone = poll(lambda: (x := looks.show_edge("out")) is None or (leaving.append(x) and False),
                6)[0]
    keep(folder, *(f"out-{k}" for k in range(looks.n - len(leaving), looks.n + 1)))
    print(f"the line's right end seen at {coming} coming in, at {leaving} after Escape")
    assert leaving, "no look showed the line after Escape"
    assert max(leaving) < cleared_at + 60, \
        f"after Escape the line went on right, to {max(leaving)} from {cleared_at}: {leaving}"
    assert all(b < a for a, b in zip(leaving, leaving[1:])), \
        f"after Escape the line did not move left on every look: {leaving}"
    assert gone, f"6 s after Escape the line is still on the show screen, at {leaving[-1]}"
    assert status(app) == "On air: none   Cued: 001", "Clear changed the cue"

    # Take page 001 and let it come to rest.
    s.keys_to(live, "Return")
    seen = []
    at_rest = poll(lambda: (seen.append(looks.show_edge("take")) or
                            len(seen) >= 3 and seen[-1] is not None and
                            seen[-1] == seen[-2] == seen[-3]), 10)[0]
    rest = looks.take("rest")
    looks.keep()
    assert at_rest, f"page 001 did not come to rest: its right end was seen at {seen}"
    rest_right, program_rest_right = right_edge(rest, SHOW_AREA), right_edge(rest, program)
    assert program_rest_right, "the Program does not show page 001 on air"
    assert cleared_at < rest_right - 40, \
        f"Escape came when the line was already at rest ({cleared_at}, rest {rest_right})"
    assert status(app) == "On air: 001   Cued: 002"

    # The editor goes to page 001 and its line 1 gets longer: the show and the Program follow.
    s.click(*NEXT_PAGE)
    app.wait(lambda: pixels.differ(s.shoot("editor-001"), rest, EDIT_BOX_1) > 50, 3,
             "Next Pg to bring page 001 into the editor")
    s.click(*TITLE_1)
    s.keys_to(app.main, "End", "W", "W", "W")
    edited = poll(lambda: (img := looks.take("edited")) is not None and
                  (right_edge(img, SHOW_AREA) or 0) > rest_right + 100 and
                  (right_edge(img, program) or 0) > program_rest_right + 15, 2)[0]
    looks.keep()
    assert edited, (f"the edit did not reach the show screen and the Program: right ends "
                    f"{right_edge(looks.img, SHOW_AREA)} (at rest {rest_right}), Program "
                    f"{right_edge(looks.img, program)} (at rest {program_rest_right})")
    assert "Page1WWW" in (app.atspi("items", "Rundown") or ""), "the rundown kept the old line"

    # Cut: black at once, on the show screen and in the Program.
    s.keys_to(live, "shift+Escape")
    black = poll(lambda: (img := looks.take("cut")) is not None and
                 pixels.lit(img, SHOW_AREA) == 0 and pixels.lit(img, program) == 0, 1)[0]
    looks.keep()
    assert black, "Shift+Escape did not cut the show screen and the Program to black"
    assert status(app) == "On air: none   Cued: 002"


FRAME = re.compile(r"^frame (\d+) due (\d+) shown (\d+)$")
COMMAND = re.compile(r"^(take|clear|cut|edit) given (\d+) refresh (\d+)$")
TAKE_MARGIN = 2_000_000  # ns a take's first frame may come later than one period after it


def read_frame_log(path):
    """(period, frames as (refresh, due, shown), commands as (what, given, refresh))."""
    text = path.read_text()
    assert text.startswith("#"), f"the frame log does not start with its # line: {text[:80]!r}"
    head = re.search(r"period (\d+) ns", text.splitlines()[0])
    period = int(head.group(1)) if head else 16666666
    frames = [tuple(map(int, m.groups())) for m in map(FRAME.match, text.splitlines()) if m]
    commands = [(m.group(1), int(m.group(2)), int(m.group(3)))
                for m in map(COMMAND.match, text.splitlines()) if m]
    return period, frames, commands


def ms(ns):
    return ns / 1e6


def test_a_minute_of_live_takes_misses_no_refresh(start_app, folder):
    log = folder / "frames.log"
    pages = ["Page0", "Page1", "Page2"]
    app = start_app(live_project(folder / "minute", pages, fadedelay=1000),
                    args=("--frame-log", log), **PLACE)
    s = app.screen
    live, _ = open_live(app)
    # A take every 5 s for a minute, the pages in turn, each cued by its number first (after
    # the last row nothing is cued).
    start, takes = time.monotonic(), 12
    for n in range(takes):
        time.sleep(max(0.0, start + 5 * n - time.monotonic()))  # the operator's pace
        s.keys_to(live, *f"{n % len(pages):03}", "Return", "Return")
    time.sleep(max(0.0, start + 5 * takes - time.monotonic()))
    s.shoot("after-a-minute")
    keep(folder, "after-a-minute")

    # The log is written about once a second: wait for the frames of the last take's second.
    def logged():
        period, frames, commands = read_frame_log(log)
        taken = [c for c in commands if c[0] == "take"]
        done = len(taken) == takes and frames and frames[-1][0] >= taken[-1][2] + 60
        return (period, frames, taken) if done else None

    period, frames, taken = app.wait(logged, 5, f"the frame log {log} to hold the {takes} takes")
    refreshes = [f[0] for f in frames]
    missing = sorted(set(range(refreshes[0], refreshes[-1] + 1)) - set(refreshes))
    repeated = sorted(r for r, times in Counter(refreshes).items() if times > 1)
    late = [shown - due for _, due, shown in frames]
    to_screen = [next(shown for r, _, shown in frames if r >= k) - given for _, given, k in taken]
    print(f"\n{len(frames)} frames, refreshes {refreshes[0]}..{refreshes[-1]}; "
          f"{len(missing)} missed, {len(repeated)} repeated; shown after due: "
          f"median {ms(statistics.median(late)):.2f} ms, worst {ms(max(late)):.2f} ms; "
          f"take to screen: min {ms(min(to_screen)):.2f}, median "
          f"{ms(statistics.median(to_screen)):.2f}, max {ms(max(to_screen)):.2f} ms")
    assert not missing, f"refreshes without a frame: {missing[:20]} ({len(missing)} in all)"
    assert not repeated, f"refreshes with more than one frame: {repeated[:20]}"
    assert len(frames) >= 3500, f"only {len(frames)} frames in a minute"
    assert max(late) < period, \
        f"a frame was shown {ms(max(late)):.2f} ms after its refresh, a period or more late"
    assert max(to_screen) <= period + TAKE_MARGIN, \
        f"a take reached the screen {ms(max(to_screen)):.2f} ms after it was given: {to_screen}"
