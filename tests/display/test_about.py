"""The about box, from the Help menu by keyboard."""

import pytest

pytestmark = pytest.mark.xvfb


def test_the_about_box_opens_from_the_help_menu_and_escape_and_enter_close_it(
        start_app, still_project):
    app = start_app(still_project, top=40, left=40, height=492, width=649)
    s = app.screen
    for key in ("Escape", "Return"):
        app.menu("alt+h", "Return")  # the menu opened by its mnemonic has About chosen
        about = app.wait(lambda: app.find_viewable("About Velmora"), 3, "the about box")
        s.shoot(f"c-about-{key}")
        assert s.name(about) == "About Velmora Pro "  # dialogs/About1.cpp, with its blank
        app.close_with(about, key, "the about box", 2)
        app.wait(lambda: s.viewable(app.main), 2, "the main window after the about box closed")
