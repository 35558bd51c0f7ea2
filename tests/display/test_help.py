"""Every way to the help shows its topic's text in the help window, on top, read through the
accessibility bus and seen on the screen."""

import pytest

from support import pixels
from support.wait import fail, poll

pytestmark = pytest.mark.xvfb
VIEW = "Help text"  # the accessible name of the help window's text view


def ink_and_white(shot, box):
    """The box's pixels that are not near-white (text of any colour, links are blue) and those
    that are (the page around the text)."""
    white = pixels.bright(shot, box)
    return box[2] * box[3] - white, white


def topic_seen(app, shot, lead, words):
    """The help window reads the topic, led by its heading, with the words of its text in sight,
    and shows them on the screen: mostly white with dark text, and where the bus places the
    heading and the words there is text on white."""
    s = app.screen

    def reads():
        help_window = app.find_viewable("Velmora Help")
        return help_window and (app.atspi("insight", VIEW) or "")

    app.wait(reads, 10, f'the help window to read "{lead}" with "{words}" in sight',
             lambda text: text and text.startswith(lead) and words in text)
    s.xdotool("mousemove", s.width - 5, s.height - 5)  # no tool tip over the window
    boxes = [app.atspi("words", VIEW, w) for w in (lead, words)]
    assert all(boxes), f'the bus read "{lead}" and "{words}" but gave no place for them'
    boxes = [tuple(map(int, b.split())) for b in boxes]

    def looks():
        img = s.shoot(shot)
        geom = s.geom(app.find("Velmora Help"))
        return (pixels.dark(img, geom), pixels.bright(img, geom),
                *(ink_and_white(img, b) for b in boxes))

    ok, seen = poll(looks, 3, lambda v: v[0] >= 2000 and v[1] >= 50000 and
                    min(v[2] + v[3]) >= 30)
    s.keep(shot)
    if not ok:
        fail(f'the help window reads "{lead}" but the screen does not show it: dark and white '
             f"pixels in the window, ink and white of the heading and of the words: {seen} "
             f"(heading at {boxes[0]}, words at {boxes[1]}; {shot}.png)")


def click_named(app, *name):
    """A click on the middle of the showing control of that accessible name (and role)."""
    box = app.atspi("extents", *name)
    if not box:
        fail(f"no showing control {name} on the accessibility bus; {app.trouble()}")
    x, y, w, h = map(int, box.split())
    app.screen.click(x + w // 2, y + h // 2)


def test_help_contents_both_question_marks_and_the_align_screen_show_their_topics(
        start_app, text_project):
    # The main window lies right of where the help window opens: neither hides the other.
    app = start_app(text_project, on_bus=True, top=0, left=600, height=492, width=649)
    app.menu("alt+h", "Down", "Return")
    topic_seen(app, "q-contents", "Velmora Pro Help", "Drawing Paths By Hand")
    click_named(app, "Help on pausing and delays")
    topic_seen(app, "q-pausing", "About Pausing and Delays", "pace the page on screen")
    click_named(app, "Line 1 IN direction")
    app.wait(lambda: app.atspi("extents", "Help on buttons"), 5,
             "line 1's IN button to show a direction tool bar with its \"?\"")
    click_named(app, "Help on buttons")
    topic_seen(app, "q-buttons", "Buttons", "The tool bar across the top")
    app.screen.keys_to(app.main, "ctrl+a")
    app.wait(lambda: app.atspi("extents", "Help", "push button"), 5,
             "Ctrl+A to show the align screen with its Help button")
    click_named(app, "Help", "push button")
    topic_seen(app, "q-align", "Drawing Paths By Hand", "shows the page full screen")
