"""Editing as a person types: "C Pg" copies the page, a letter typed in title 1 and taken back
with Ctrl+Z leaves the copy unsaved, and "S Pg" writes it; then Ctrl+A, pressed with the cursor
still in the title box, opens the align screen."""

import pytest

from support import files
from support.files import line
from test_align import BUTTON_Y, EXIT_X, SAVE_PAGE

pytestmark = pytest.mark.xvfb


def test_a_copied_page_edited_and_undone_is_saved_and_ctrl_a_in_a_title_box_aligns(
        start_app, folder):
    project = files.project(folder / "copy", line("Copied", x=100, y=100))
    app = start_app(project, top=0, left=0, height=492, width=649)
    s = app.screen
    s.click(406, 41)  # "C Pg"
    s.click(560, 107)  # title 1
    s.keys_to(app.main, "End", "x", "ctrl+z")
    s.shoot("p-undone", (649, 492))
    s.click(*SAVE_PAGE)
    app.wait(lambda: files.line_text(project / "XVFB.001", 1), 3,
             "S Pg to write page 001 after C Pg, a letter typed and Ctrl+Z", "Copied")
    s.click(560, 107)
    s.keys_to(app.main, "End", "y", "ctrl+a")
    app.playback = None
    app.wait(app.playback_shown, 5, "Ctrl+A with the cursor in title 1 to show the align screen")
    s.click(EXIT_X, BUTTON_Y)
    app.wait(app.editor_back, 3, "the exit button to leave the align screen")
