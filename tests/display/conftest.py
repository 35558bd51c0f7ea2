"""Velmora's real-display checks: the built program on Xvfb and on a headless sway desktop, looked
at from outside as a person at the screen would see it. The fixtures give a test a screen of the
size and scale it asks for (`@pytest.mark.parametrize("screen", [(w, h, scale)],
indirect=True)`), a fresh home and settings, the program started there (on an accessibility
bus when asked), and a folder of its own for screenshots and logs, named in every failure.

    /usr/bin/python3 -m pytest tests/display [-m xvfb|wayland] [-k AREA]

VELMORA_BUILD_DIR names the build folder (default: build)."""

import os
import re
import signal
import subprocess
from pathlib import Path

import pytest

from support import files, wait, x11
from support.files import line
from support.sway import Desktop

BUILD = files.ROOT / os.environ.get("VELMORA_BUILD_DIR", "build")
SYSTEM_PYTHON = "/usr/bin/python3"  # the one python with pyatspi
ATSPI = Path(__file__).resolve().parent / "support" / "atspi.py"


def pytest_configure(config):
    # Stopped from outside, the run still ends every program and server it started.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    config.addinivalue_line("markers", "xvfb: the program on a virtual X screen (Xvfb)")
    config.addinivalue_line("markers", "wayland: the program on a headless sway desktop")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    report = (yield).get_result()
    setattr(item, "report_" + report.when, report)
    if report.failed and wait.folder:
        report.sections.append(("screenshots and logs", str(wait.folder)))


def keep_at_failure(request, shoot, folder):
    """After a failed test: the screen as it was then, and the last shots taken, as PNG."""
    if any(getattr(getattr(request.node, "report_" + w, None), "failed", False)
           for w in ("setup", "call")):
        try:
            shoot("at-failure")
        except OSError:
            pass
        wait.keep_newest(folder)


@pytest.fixture(autouse=True)
def folder(tmp_path):
    """The test's own folder of screenshots and logs."""
    wait.folder = tmp_path
    yield tmp_path
    for shot in tmp_path.glob("*.ppm"):  # kept as PNG where they matter; the raw ones are big
        shot.unlink()


@pytest.fixture(scope="session")
def build():
    return BUILD


@pytest.fixture(scope="session")
def program():
    app = BUILD / "app" / "velmora"
    assert os.access(app, os.X_OK), f"no program at {app}: build it first"
    return app


@pytest.fixture(scope="session")
def main_caption():
    """The main window's caption: the application name, " PRO " and the version "1.<minor>"
    (app/startup.cpp, main/bitmov2.cpp, the project's minor version from CMake)."""
    cache = (BUILD / "CMakeCache.txt").read_text()
    minor = re.search(r"^CMAKE_PROJECT_VERSION_MINOR:STATIC=(\d+)", cache, re.M)
    return f"{x11.MAIN_CAPTION_START}1.{minor.group(1)}"


@pytest.fixture(scope="session")
def xservers(tmp_path_factory):
    """One Xvfb for each screen size the tests ask for, started when first asked for."""
    servers, logs = {}, tmp_path_factory.mktemp("xvfb")

    def server(width, height):
        if (width, height) not in servers:
            log = open(logs / f"{width}x{height}.log", "w")
            servers[width, height] = x11.Xvfb(width, height, log)
        return servers[width, height]

    yield server
    for s in servers.values():
        s.stop()


@pytest.fixture
def screen(request, xservers, folder):
    """The X screen, 1280 x 1024 at scale 1 unless the test asks for (width, height, scale)."""
    width, height, scale = getattr(request, "param", (1280, 1024, 1))
    return x11.Screen(xservers(width, height), width, height, scale, folder)


@pytest.fixture(scope="session")
def bus(tmp_path_factory):
    """A session bus of the suite's own, from which the accessibility bus is started on the first
    question asked of it. Everything it starts ends with it."""
    d = tmp_path_factory.mktemp("bus")
    (d / "runtime").mkdir(mode=0o700)
    read, write = os.pipe()
    with open(d / "dbus.log", "w") as log:
        proc = subprocess.Popen(["dbus-daemon", "--session", "--nofork",
                                 f"--print-address={write}"], pass_fds=[write], stdout=log,
                                stderr=subprocess.STDOUT,
                                env=dict(os.environ, XDG_RUNTIME_DIR=str(d / "runtime")))
    os.close(write)
    with os.fdopen(read) as f:
        address = f.readline().strip()
    assert address.startswith("unix:"), f"the session bus gave no address ({d / 'dbus.log'})"
    env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=address)

    def ask(*args):
        """What atspi.py prints for the question, or None when it has no answer."""
        said = x11.output([SYSTEM_PYTHON, ATSPI, *map(str, args)], env, timeout=10)
        return None if said is None else said.rstrip("\n")

    wait.wait_until(lambda: ask("bus") is not None, 5, "the accessibility bus to answer")
    ask.env = {"DBUS_SESSION_BUS_ADDRESS": address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
    yield ask
    proc.terminate()
    proc.wait(10)


@pytest.fixture
def start_app(screen, program, folder, request):
    """start_app(project, editor=True, on_bus=False, args=(), more_settings="", **place): the
    program with a fresh home whose settings name the project and the main window's place (and
    hold the further sections given as text), and the arguments on its command line; with
    editor=True once the editor is ready for keys, with on_bus=True on the accessibility bus."""
    started = []

    def start(project, editor=True, on_bus=False, args=(), more_settings="", **place):
        ask = request.getfixturevalue("bus") if on_bus else None
        app = x11.App(screen, program, folder / "home", project, ask.env if ask else (), args,
                     more_settings, **place)
        started.append(app)
        if editor:
            app.wait_editor()
        if ask:
            app.atspi = lambda *args: ask(args[0], app.proc.pid, *args[1:])
            app.wait(lambda: app.atspi("ready") is not None, 10,
                     "the program to show itself on the accessibility bus")
        return app

    yield start
    keep_at_failure(request, screen.shoot, folder)  # while the program still shows
    for app in started:
        app.stop()


@pytest.fixture
def still_project(folder):
    """A picture at rest, held 2 s."""
    return files.project(folder / "still", line(bitmap="orange.bmp", x=600, y=500,
                                                move_in=13, move_out=13), pause=2)


@pytest.fixture
def text_project(folder):
    """A title line of text."""
    return files.project(folder / "text", line("Hello", x=100, y=100))


@pytest.fixture
def five_project(folder):
    """Five pages of text, 000 to 004."""
    p = files.project(folder / "five", line("First0", x=100, y=100))
    for n in range(1, 5):
        files.page(p / f"XVFB.00{n}", line(f"First{n}", x=100, y=100),
                   line(f"Second{n}", x=100, y=300), number=f"00{n}")
    files.project_file(p / "xvfb.kvt", "004")
    return p


@pytest.fixture
def desktop(request, folder, program):
    """A sway desktop of the outputs (name, width, height, x, y) the test asks for (two side by
    side unless asked), the program to be started on it by desktop.start_app()."""
    outputs = getattr(request, "param", [("HEADLESS-1", 1280, 1024, 0, 0),
                                         ("HEADLESS-2", 1920, 1080, 1280, 0)])
    d = Desktop(outputs, folder, program)
    try:
        yield d.start()
        keep_at_failure(request, d.shoot, folder)
    finally:
        d.stop()
