"""The editor's dialogs for a line: the font chooser and the effects window show their samples."""

import pytest

from support import pixels

pytestmark = pytest.mark.xvfb


def shown_with_sample(app, caption, shot, sample):
    """Waits for the dialog and fails when its sample (a rectangle relative to the dialog)
    shows no white title text; Escape then closes it."""
    dialog = app.wait(lambda: app.find_viewable(caption), 3, f'"{caption}" to appear')
    dx, dy, _, _ = app.screen.geom(dialog)
    sx, sy, sw, sh = sample
    white = app.wait(lambda: pixels.bright(app.screen.shoot(shot),
                                           (dx + sx, dy + sy, sw, sh)),
                     3, f'white title text in the sample of "{caption}"', lambda n: n > 30)
    print(f'"{caption}" shows its sample ({white} white pixels)')
    app.close_with(dialog, "Escape", f'"{caption}"')


def test_the_font_chooser_and_the_effects_window_show_their_samples_and_close(
        start_app, text_project):
    app = start_app(text_project, top=0, left=0, height=492, width=649)
    mx, my, _, _ = app.screen.geom(app.main)
    # The font chooser from the title box's popup menu: its second item.
    app.screen.click(mx + 300, my + 106, 3)
    app.wait(app.menu_open, 3, "a menu from a right click on the first title box")
    app.screen.key("Down", "Down", "Return")
    shown_with_sample(app, "Change Font and Size", "i-font", (220, 70, 310, 250))
    # The effects window from the gradient button of line 1's direction tool bar.
    app.screen.click(mx + 34, my + 106)
    app.screen.click(mx + 384, my + 70)
    shown_with_sample(app, "Color and Gradient Adjustments", "i-effects", (0, 0, 254, 60))
