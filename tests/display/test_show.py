"""Playing a page: Ctrl+P shows it in the playback window over everything, Escape brings the
editor back; the frames of a move reach the screen."""

import time

import pytest

from support import files, pixels
from support.files import BLACK, GREEN, MAGENTA, ORANGE, line
from support.wait import keep, poll, since

pytestmark = pytest.mark.xvfb
PLACE = dict(top=40, left=40, height=492, width=649)


def test_ctrl_p_plays_the_page_over_everything_and_escape_returns_to_the_editor(
        start_app, still_project):
    # Every part is checked even when an earlier one failed, so one run tells all that is wrong.
    app = start_app(still_project, **PLACE)
    s, problems = app.screen, []
    ex, ey = app.editor_point()
    pressed = time.monotonic()
    app.play()
    app.wait(app.playback_shown, 5, "a playback window after Ctrl+P")
    print(f"playback window viewable {since(pressed)} after Ctrl+P")
    if s.geom(app.playback) != (0, 0, s.width, s.height):
        problems.append(f"the playback window lies at {s.geom(app.playback)}, not over the "
                        f"whole {s.width}x{s.height} screen")
    if s.top() != app.playback:
        problems.append(f"the top window is {s.top()} {s.name(s.top())!r}, not the playback "
                        "window")
    if s.name(app.playback) != "Velmora Playback":
        problems.append(f"the playback window's caption is {s.name(app.playback)!r}")
    # While the page is up: the picture at its resting place, black where the editor lies and
    # elsewhere. The page holds 2 s; looking stops after 1.2 s so Escape still comes meanwhile.
    n = [0]

    def page_shown():
        if not s.viewable(app.playback):
            return "the playback window closed"
        n[0] += 1
        shot = s.shoot(f"b-play-{n[0]}")
        return [pixels.at(shot, x, y) for x, y in ((620, 515), (ex, ey), (1000, 800))]

    seen, px = poll(page_shown, 1.2, [ORANGE, BLACK, BLACK])
    if seen:
        print(f"page on the screen {since(pressed)} after Ctrl+P")
    else:
        keep(s.folder, f"b-play-{n[0]}")
        problems.append(f"in {n[0]} screenshots the screen never showed the page: the picture's "
                        f"place (620, 515), the editor ({ex}, {ey}) and (1000, 800) were last "
                        f"{px} (wanted orange, black, black; b-play-{n[0]}.png)")
    if s.viewable(app.playback):
        s.keys_to(app.playback, "Escape")
        if not poll(app.editor_back, 2)[0]:
            s.shoot("b-after-escape")
            keep(s.folder, "b-after-escape")
            problems.append(f"2 s after Escape the main window is {s.state(app.main)} and the "
                            f"playback window {s.state(app.playback)} (b-after-escape.png)")
    else:
        problems.append(f"the page was over before Escape could be pressed ({since(pressed)} "
                        "after Ctrl+P)")
        if not poll(app.editor_back, 2)[0]:
            problems.append("and the editor did not come back")
    assert not problems, "; ".join(problems)


def test_escape_during_a_move_with_a_huge_delay_returns_to_the_editor(start_app, folder):
    # The page's delay field holds 1187822442. Read, the delay is 6000 (6 ms a step); the
    # 141-step move lasts 0.85 s, and Escape acts at the next fixed point, the move's end.
    project = files.project(folder / "huge-delay", line(bitmap="orange.bmp", x=100, y=500,
                            move_in=1, move_out=13), fadedelay=1187822442, pause=0)
    app = start_app(project, **PLACE)
    pressed = time.monotonic()
    app.play()
    app.wait(app.playback_shown, 10, "the playback window after Ctrl+P")
    after, esc = since(pressed), time.monotonic()
    app.screen.keys_to(app.playback, "Escape")
    if not poll(app.editor_back, 2)[0]:
        app.screen.shoot("e-after-escape")
        late = since(esc) if poll(app.editor_back, 18)[0] else "more than 20 s"
        pytest.fail(f"the editor was not back within 2 s of Escape (it came back after {late};"
                    f" Escape pressed {after} after Ctrl+P)")
    print(f"editor back {since(esc)} after Escape")


def test_the_frames_of_a_move_reach_the_screen_while_it_moves(start_app, folder):
    project = files.project(folder / "move", line(bitmap="orange.bmp", x=600, y=500,
                            move_in=1, move_out=13), fadedelay=3000, pause=1)
    app = start_app(project, **PLACE)
    s = app.screen
    app.play()
    pressed, firsts, shown = time.monotonic(), [], False
    # Screenshots back to back from the key press until the editor is back (at most 12 s or
    # 200 of them), of the part the picture crosses from the top-left corner to its rest.
    while time.monotonic() - pressed < 12 and len(firsts) < 200:
        found = pixels.blocks(s.shoot("g-move-%03d" % (len(firsts) + 1), (680, 560)), ORANGE)
        firsts.append(found[0] if found else None)
        shown = shown or app.playback_shown()
        if shown and app.editor_back():
            break
    n, took = len(firsts), since(pressed)
    moving = [p for p in firsts if p and p != (601, 501)]
    at_rest = firsts.count((601, 501))
    shots = ["g-move-001", "g-move-%03d" % ((n + 1) // 2), "g-move-%03d" % n]
    if not moving:
        keep(folder, *shots)
        pytest.fail(f"{n} screenshots over the {took} from Ctrl+P to the editor's return never"
                    f" showed the picture away from its resting place (at rest in {at_rest})")
    # On its way the picture stands on the diagonal to its resting place (x - y = 100), at
    # several places, and it ends at rest.
    places = len(set(moving))
    off = [p for p in moving if p[0] - p[1] != 100]
    if places < 3 or off or at_rest < 1:
        keep(folder, *shots)
        pytest.fail(f"the picture was seen at {places} places on its way (off the diagonal: "
                    f"{off[:1]}) and {at_rest} times at rest")
    print(f"{len(moving)} of {n} screenshots caught the picture on its way at {places} places,"
          f" e.g. at {moving[0]}; at rest in {at_rest}")


def test_the_playback_window_is_on_top_showing_the_page_in_five_plays(start_app, folder):
    project = files.project(folder / "three", *(
        line(bitmap=f"{name}.bmp", x=x, y=y, move_in=13, move_out=13)
        for name, x, y in (("orange", 600, 500), ("green", 300, 300), ("magenta", 900, 150))),
        pause=1)
    app = start_app(project, **PLACE)
    s, good, report = app.screen, 0, []
    ex, ey = app.editor_point()

    def page_seen(name):
        if s.top() != app.playback:
            return False
        shot = s.shoot(name)
        return pixels.blocks(shot, ORANGE) == [(601, 501)] and \
            pixels.blocks(shot, GREEN) == [(301, 301)] and \
            pixels.blocks(shot, MAGENTA) == [(901, 151)] and pixels.at(shot, ex, ey) == BLACK

    for run in range(1, 6):
        app.play()
        if not poll(app.playback_shown, 5)[0]:
            report.append(f"{run}: no playback window")
            continue
        name = f"h-run-{run}"
        gone_or_seen = lambda: "gone" if not s.viewable(app.playback) else page_seen(name)
        if poll(gone_or_seen, 3, lambda v: v in ("gone", True))[1] is True:
            good += 1
            report.append(f"{run}: on top")
        else:
            keep(folder, name)
            report.append(f"{run}: not seen on top (top window {s.top()}, playback "
                          f"{app.playback}, {name}.png)")
        app.wait(app.editor_back, 5, f"play {run}: the editor's return after the page's end "
                 f"({'; '.join(report)})")
    print("plays:", "; ".join(report))
    assert good == 5, f"the playback window showed the page on top in {good} of 5 plays: " + \
        "; ".join(report)
