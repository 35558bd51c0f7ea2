"""Configuration > "Show Screen...": the screen the show goes to."""

import re

import pytest

from support import files, pixels

pytestmark = pytest.mark.xvfb


def test_show_screen_lists_the_screen_by_name_and_size_and_keeps_the_one_chosen(
        start_app, text_project):
    app = start_app(text_project, on_bus=True, top=0, left=0, height=492, width=649)
    s = app.screen
    # One line, the X server's one screen by its size, marked as the editor's and selected.
    listed = rf"\* [^ ].*  {s.width} x {s.height}  \(editor\)"
    for key in ("Escape", "Return"):
        app.menu("alt+c", "Up", "Return")  # the menu's last item
        dialog, shot = app.window_shown("Show Screen", f"s-dialog-{key}")
        items = app.wait(lambda: app.atspi("items", "Screens"), 3,
                         "the list of Show Screen to hold the screen, selected",
                         lambda v: v and re.fullmatch(listed, v))
        text = pixels.dark(shot, s.geom(dialog))
        assert text >= 200, f'"Show Screen" shows almost no text ({text} dark pixels)'
        app.close_with(dialog, key, '"Show Screen"')
        name = items[2:].split("  ")[0]
        if key == "Escape":
            assert not re.search(r"^\[VELMORA Show Screen\]", app.settings.read_text(),
                                 re.M | re.I), "Escape wrote a show screen into the settings"
        else:
            app.wait(lambda: files.settings_values(app.settings, "Name"), 3,
                     f"OK to keep {name!r} in the settings file", lambda v: name in v)
    print(f'"Show Screen" listed {items!r}; Escape kept nothing, OK kept {name!r}')
