"""The Configuration and Windows menus' windows: the colour-bar time, Under Your Hood and
Project Information."""

import pytest

from support import pixels

pytestmark = pytest.mark.xvfb
PLACE = dict(top=0, left=0, height=492, width=649)


def test_the_colour_bar_time_window_opens_from_configuration_and_closes(start_app, text_project):
    app = start_app(text_project, **PLACE)
    for key in ("Escape", "Return"):
        app.menu("alt+c", "Return")
        dialog, shot = app.window_shown("Time  Options", f"j-config-{key}")
        text = pixels.dark(shot, app.screen.geom(dialog))
        assert text >= 200, f'"Time  Options" shows almost no text ({text} dark pixels)'
        app.close_with(dialog, key, '"Time  Options"')


def test_under_your_hood_is_centred_shows_its_figures_and_its_clock_runs(
        start_app, text_project):
    app = start_app(text_project, **PLACE)
    s = app.screen
    app.menu("alt+w", "Down", "Return")
    dialog, shot = app.window_shown("Under Your Hood", "k-hood", (582, 402))
    x, y, w, h = s.geom(dialog)
    assert (x, y) == ((s.width - 582) // 2, (s.height - 402) // 2), "not centred on the screen"
    text = pixels.dark(shot, (x, y + 30, 582, 340))
    assert text >= 3000, f'"Under Your Hood" shows almost no figures ({text} dark pixels)'
    # The clock at the bottom right changes with the one-second timer.
    app.wait(lambda: pixels.differ(shot, s.shoot("k-hood-later"), (x + 382, y + 380, 200, 22)),
             3, "the clock of Under Your Hood to change")
    print(f'"Under Your Hood" centred at {(x, y)} with {text} dark pixels of figures')
    app.close_with(dialog, "Escape", '"Under Your Hood"')


def test_project_information_shows_the_figures_beside_the_editor_which_stays_usable(
        start_app, text_project):
    app = start_app(text_project, **PLACE)
    app.menu("alt+w", "Return")
    dialog, shot = app.window_shown("Velmora Pro Data", "l-info", (530, 380))
    x, y, _, _ = app.screen.geom(dialog)
    text = pixels.dark(shot, (x, y, 530, 380))
    assert text >= 2000, f'"Velmora Pro Data" shows almost no figures ({text} dark pixels)'
    # Not modal: the main window's menu still opens while it is shown.
    app.menu("alt+h", "Escape")
    assert app.screen.viewable(dialog), '"Velmora Pro Data" closed when the editor was used'
    app.close_with(dialog, "Escape", '"Velmora Pro Data"')
