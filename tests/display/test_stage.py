"""The project's stage: kept in the project file, changed in its window, and a page laid out on
it shown scaled to fit the screen."""

import pytest

from support import files, pixels
from support.files import ORANGE, line
from support.wait import poll
from test_help import click_named

pytestmark = pytest.mark.xvfb


def stage_in_file(kvt):
    """The values of the project file's StageWidth and StageHeight keys."""
    return files.settings_values(kvt, "StageWidth"), files.settings_values(kvt, "StageHeight")


def stage_shown(app, shot, figure):
    """The information window reads the stage figure on the bus, and draws it there."""
    app.wait(lambda: app.atspi("named", "Stage: ", "label"), 5,
             '"Velmora Pro Data" to read the stage', f"Stage: {figure}")

    def drawn():
        box = app.atspi("extents", f"Stage: {figure}", "label")
        return box and pixels.dark(app.screen.shoot(shot), tuple(map(int, box.split())))

    app.wait(drawn, 3, "the stage figure drawn (dark pixels where the bus places it)",
             lambda n: n and n >= 20)
    app.screen.keep(shot)


def test_project_information_shows_the_stage_and_its_stage_window_changes_it(
        start_app, folder):
    project = files.project(folder / "stage", line("Staged", x=100, y=100))
    kvt = project / "xvfb.kvt"
    app = start_app(project, on_bus=True, top=0, left=600, height=492, width=649)
    s = app.screen
    # Opened without a stage, the project keeps the screen's, each key once.
    app.wait(lambda: stage_in_file(kvt), 3, "the screen's size as the project's stage",
             ([str(s.width)], [str(s.height)]))
    app.menu("alt+w", "Return")
    info, _ = app.window_shown("Velmora Pro Data", "r-info", (530, 380))
    stage_shown(app, "r-info", f"{s.width} x {s.height}")
    click_named(app, "Stage...", "push button")
    stage, _ = app.window_shown("Stage", "r-stage")
    app.wait(lambda: app.atspi("extents", "1280 x 720", "radio button"), 5,
             'the "Stage" window to offer "1280 x 720"')
    click_named(app, "1280 x 720", "radio button")
    app.wait(lambda: app.atspi("checked", "1280 x 720", "radio button") is not None, 3,
             'a click on "1280 x 720" to check it')
    s.shoot("r-stage-chosen")
    s.keep("r-stage", "r-stage-chosen")
    click_named(app, "OK", "push button")
    app.wait(lambda: not s.viewable(stage), 3, 'OK to close the "Stage" window')
    app.wait(lambda: stage_in_file(kvt), 3, "the new stage in the project file",
             (["1280"], ["720"]))
    stage_shown(app, "r-info-after", "1280 x 720")
    assert s.viewable(info), '"Velmora Pro Data" closed with the "Stage" window'


# A page laid out on a stage of 640 x 480 is shown scaled uniformly to fit the screen's device
# pixels (the X screen's) and centred, black outside the stage: a picture at stage (300, 200)
# and a title line. A stage length n is n * s rounded half up.
@pytest.mark.parametrize("screen", [(1280, 1024, 1), (1920, 1080, 1), (2560, 1440, 2)],
                         indirect=True, ids=["1280x1024", "1920x1080", "2560x1440-scale2"])
def test_a_page_on_a_640x480_stage_fills_the_screen_scaled_centred_and_sharp(
        start_app, folder, screen):
    project = files.project(folder / "stage", line(bitmap="orange.bmp", x=300, y=200,
                            move_in=13, move_out=13), line("Stagecraft", x=40, y=300, size=40,
                            color="FFFFFF", move_in=13, move_out=13), pause=4)
    with open(project / "xvfb.kvt", "a") as kvt:
        kvt.write("StageWidth=640\nStageHeight=480\n")
    sw, sh = screen.width, screen.height
    num, den = (sw, 640) if sw * 480 <= sh * 640 else (sh, 480)
    length = lambda n: (2 * n * num + den) // (2 * den)
    aw, ah = length(640), length(480)
    left, top = (sw - aw) // 2, (sh - ah) // 2
    # Where the picture's orange shows: its scaled size less its black edge, one pixel at scale
    # 1 and the scale rounded up at any other, as deep as one step of a move.
    edge = 1 if num == den else (num + den - 1) // den
    want = (left + length(300) + edge, top + length(200) + edge,
            length(40) - 2 * edge, length(30) - 2 * edge)
    app = start_app(project, top=40, left=40, height=492, width=649)
    app.play()
    app.wait(app.playback_shown, 5, "a playback window after Ctrl+P")
    n, problems = [0], []

    def placed():
        n[0] += 1
        shot = screen.shoot(f"t-play-{n[0]}")
        return shot, pixels.box(shot, ORANGE), pixels.bright(shot, (left, top, aw, ah), 200)

    shot, box, lit = app.wait(placed, 3, "the page's picture and title to show",
                              lambda v: v[1] and v[2] > 50)
    if any(abs(a - b) > d for a, b, d in zip(box, want, (1, 1, 2, 2))):
        problems.append(f"the picture shows at {box} (x y width height), not at {want}")
    for margin in ((0, 0, left, sh), (left + aw, 0, sw - left - aw, sh), (0, 0, sw, top),
                   (0, top + ah, sw, sh - top - ah)):
        area = margin[2] * margin[3]
        if area > 0 and pixels.dark(shot, margin, 0) != area:
            problems.append(f"the margin {margin} is not all black "
                            f"({pixels.dark(shot, margin, 0)} of {area} pixels)")
    # The title's glyph edges: drawn in the device's pixels, neighbours differ at even and at
    # odd columns alike; a frame drawn at half the resolution and enlarged would have no
    # differing pair at even columns.
    tx, ty = left + length(40), top + length(300)
    even, odd = pixels.steps(shot, (tx, ty, length(300), length(60)))
    if even + odd < 20:
        problems.append(f"no title seen at ({tx}, {ty})")
    elif even * 3 < odd:
        problems.append(f"the title's edges step by two pixels: {even} differing pairs at "
                        f"even columns, {odd} at odd")
    print(f"stage at ({left}, {top}) {aw}x{ah} on {sw}x{sh} (scale {screen.scale}); "
          f"picture at {box}; title edges {even} {odd}")
    screen.keys_to(app.playback, "Escape")
    if not poll(app.editor_back, 5)[0]:
        problems.append("Escape did not bring the editor back")
    screen.keep(f"t-play-{n[0]}")
    assert not problems, "; ".join(problems)
