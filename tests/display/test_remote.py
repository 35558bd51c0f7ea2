"""The remote control on the screen: with the Live window open, HTTP requests (curl), OSC messages
(oscsend) and the web remote page in a browser (headless Chromium, driven over its DevTools
protocol) cue, take and edit pages, and the show screen shows what they did; with the remote open
to the network every request needs the token."""

import json
import os
import random
import re
import shutil
import signal
import socket
import subprocess
import urllib.request

import pytest

from support import files, pixels
from support.files import line
from support.wait import keep, poll

pytestmark = pytest.mark.xvfb
PLACE = dict(top=20, left=20, height=480, width=640)  # the editor: x 20..660, y 20..500
LIVE_CAPTION, SHOW_CAPTION = "Velmora Live", "Velmora Live Show"
# Of the show screen, the part neither the editor nor the Live window (under the editor) covers;
# the titles stand there.
SHOW_AREA = (670, 30, 610, 470)
WHITE_ENOUGH = ("C8C8C8", "FFFFFF")
TITLES = ["Zero", "One", "Two"]
TOKEN = "k3y-of-the-remote-0123456789abcdef"


def free_port():
    """A port from 18000 up that nobody uses for TCP nor for UDP."""
    for _ in range(50):
        port = 18000 + random.randrange(20000)
        try:
            for kind in (socket.SOCK_STREAM, socket.SOCK_DGRAM):
                with socket.socket(socket.AF_INET, kind) as s:
                    s.bind(("0.0.0.0", port))
        except OSError:
            continue
        return port
    raise RuntimeError("no free port found")


def remote_settings(port, network=False):
    return (f"[VELMORA Remote]\nEnabled=1\nPort={port}\nNetwork={int(network)}\n"
            f"Token={TOKEN if network else ''}\nOscFromNetwork=0\n")


def remote_project(folder):
    """A Smooth project of three pages, 000 to 002, each a white line of text at rest at
    (700, 150), shown and taken away without movement."""
    title = lambda text: line(text, x=700, y=150, size=60, move_in=13, move_out=13)
    p = files.project(folder, title(TITLES[0]), fadedelay=500)
    for n, text in enumerate(TITLES[1:], 1):
        files.page(p / f"XVFB.{n:03}", title(text), number=f"{n:03}", fadedelay=500)
    files.project_file(p / "xvfb.kvt", f"{len(TITLES) - 1:03}")
    with open(p / "xvfb.kvt", "a") as f:
        f.write("Motion=Smooth\n")
    return p


def curl(port, method, path, data=None, host="127.0.0.1", headers=()):
    """(HTTP status, body) of the request made with curl; status 0 when nothing answered."""
    cmd = ["curl", "-s", "-g", "--max-time", "5", "-o", "-", "-w", "\n%{http_code}",
           "-X", method, f"http://{host}:{port}{path}"]
    for h in headers:
        cmd += ["-H", h]
    if data is not None:
        cmd += ["-H", "Content-Type: application/json", "--data-binary", data]
    r = subprocess.run(cmd, capture_output=True, text=True, timeout=10)
    body, _, code = r.stdout.rpartition("\n")
    return int(code or 0), body


def state(port, host="127.0.0.1", headers=()):
    status, body = curl(port, "GET", "/api/state", host=host, headers=headers)
    assert status == 200, f"GET /api/state answered {status}: {body}"
    return json.loads(body)


def summary(st):
    """(cued, on air, moving, the first line of each page)."""
    return st["cued"], st["onAir"], st["moving"], [p["lines"][0] for p in st["pages"]]


def window_named(app, caption):
    s = app.screen
    return next((w for w in app.windows() if s.name(w) == caption and s.viewable(w)), None)


def open_live(app, port, headers=()):
    """Waits for the remote to answer (409 until the Live window opens), then Ctrl+L in the
    editor; returns once the Live and the show window are shown."""
    app.wait(lambda: curl(port, "GET", "/api/state", headers=headers)[0], 10,
             "the remote to answer", 409)
    app.screen.keys_to(app.main, "ctrl+l")
    app.wait(lambda: window_named(app, LIVE_CAPTION), 5, "Ctrl+L to open the Live window")
    show = app.wait(lambda: window_named(app, SHOW_CAPTION), 5, "Ctrl+L to open the show window")
    assert app.screen.geom(show) == (0, 0, app.screen.width, app.screen.height), \
        "the show window does not cover the screen"
    app.wait(lambda: curl(port, "GET", "/api/state", headers=headers)[0], 5,
             "the remote to answer once the Live window is open", 200)


class Show:
    """Numbered screenshots of the show screen and the white title seen on it."""

    def __init__(self, screen):
        self.screen, self.n = screen, 0

    def title(self, name):
        """(left, top, right, bottom, count) of the white title's pixels, or None."""
        self.n += 1
        self.last = f"{name}-{self.n}"
        img = self.screen.shoot(self.last)
        return pixels.in_range(img, *WHITE_ENOUGH, SHOW_AREA, step=1)

    def width(self, name):
        found = self.title(name)
        return found[2] - found[0] + 1 if found else 0

    def wait_width(self, app, name, want, what, deadline=3):
        """Waits until the title's width satisfies want; keeps that screenshot."""
        w = app.wait(lambda: self.width(name), deadline, what, want)
        self.keep()
        return w

    def keep(self):
        keep(self.screen.folder, self.last)


def test_curl_cues_takes_and_edits_on_air_and_the_show_screen_shows_it(start_app, folder):
    port = free_port()
    app = start_app(remote_project(folder / "remote"), more_settings=remote_settings(port),
                    **PLACE)
    show = Show(app.screen)
    open_live(app, port)
    assert summary(state(port)) == ("000", None, False, TITLES), "the state at the start"
    assert [p["page"] for p in state(port)["pages"]] == ["000", "001", "002"]
    show.wait_width(app, "opened", 0, "the show screen to be black before any take")

    status, body = curl(port, "POST", "/api/cue/001")
    assert status == 200 and json.loads(body)["cued"] == "001", f"cue 001: {status} {body}"
    status, body = curl(port, "POST", "/api/take")
    assert status == 200, f"take: {status} {body}"
    app.wait(lambda: summary(state(port))[1:3], 3, "page 001 on air, at rest", ("001", False))
    one = show.wait_width(app, "taken", lambda w: w > 30, "the show screen to show page 001")
    # Page 001's title, not another page's: as wide as "One" is and never as "Zero".
    assert one < 200, f"the title on air is {one} pixels wide, too wide for 'One'"

    longer = "One and a much longer title"
    status, body = curl(port, "PUT", "/api/pages/001/lines/1", json.dumps({"text": longer}))
    assert status == 200, f"PUT of line 1: {status} {body}"
    assert json.loads(body)["pages"][1]["lines"][0] == longer
    wide = show.wait_width(app, "edited", lambda w: w > one + 300,
                           "the show screen to show the longer title", deadline=2)
    assert summary(state(port))[1] == "001", "the edit took page 001 off the air"

    # Refused edits change nothing, neither the state nor the screen.
    before = state(port)
    for body, what in (('{"text": "Broken', "malformed JSON"), ('["text"]', "a JSON array"),
                       ('{"text": 5}', "a number for text"),
                       (json.dumps({"text": "Tab\there"}), "a control character"),
                       (json.dumps({"text": "x" * 81}), "81 characters")):
        status, answer = curl(port, "PUT", "/api/pages/001/lines/1", body)
        assert status == 400, f"a PUT of {what} answered {status}: {answer}"
    assert state(port) == before, "a refused PUT changed the state"
    assert abs(show.width("refused") - wide) <= 2, "a refused PUT changed the title on air"
    show.keep()

    for method, path, want in (("GET", "/api/nothing", 404), ("GET", "/nothing", 404),
                               ("POST", "/api/cue/999", 404), ("PUT", "/api/pages/999/lines/1", 404),
                               ("PUT", "/api/pages/001/lines/4", 404),
                               ("GET", "/api/take", 405), ("POST", "/api/state", 405),
                               ("DELETE", "/api/cue/001", 405), ("POST", "/", 405)):
        status, answer = curl(port, method, path, '{"text": "x"}' if method == "PUT" else None)
        assert status == want, f"{method} {path} answered {status}, not {want}: {answer}"
    assert state(port) == before, "a refused request changed the state"

    status, body = curl(port, "POST", "/api/clear")
    assert status == 200, f"clear: {status} {body}"
    app.wait(lambda: summary(state(port))[1:3], 3, "nothing on air after clear", (None, False))
    show.wait_width(app, "cleared", 0, "the show screen to be black after clear")


def machine_address():
    """An IPv4 address of this machine other than a loopback one, or None."""
    out = subprocess.run(["hostname", "-I"], capture_output=True, text=True).stdout
    return next((a for a in out.split() if re.fullmatch(r"\d+\.\d+\.\d+\.\d+", a)
                 and not a.startswith("127.")), None)


def test_the_network_needs_the_token(start_app, folder):
    address = machine_address()
    if address is None:
        pytest.skip("this machine has no IPv4 address but loopback ones")
    port = free_port()
    app = start_app(remote_project(folder / "remote"),
                    more_settings=remote_settings(port, network=True), **PLACE)
    bearer = [f"Authorization: Bearer {TOKEN}"]
    app.wait(lambda: curl(port, "GET", "/api/state", host=address, headers=bearer)[0], 10,
             "the remote to answer on the network", 409)
    show = Show(app.screen)
    open_live(app, port, bearer)
    before = state(port, headers=bearer)
    assert summary(before) == ("000", None, False, TITLES)

    for host in (address, "127.0.0.1"):
        for headers, how in (((), "without a token"), (["Authorization: Bearer wrong"],
                                                      "with a wrong token"),
                             (["Authorization: Basic " + TOKEN], "with the token as Basic")):
            for method, path in (("GET", "/api/state"), ("POST", "/api/take"), ("GET", "/")):
                status, body = curl(port, method, path, host=host, headers=headers)
                assert status == 401, f"{method} {path} to {host} {how} answered {status}: {body}"
        status, _ = curl(port, "POST", "/api/take?token=wrong", host=host)
        assert status == 401, f"a take with a wrong ?token= to {host} answered {status}"
    assert state(port, headers=bearer) == before, "a refused take changed the state"
    assert show.width("refused") == 0, "a refused take put a title on the show screen"
    show.keep()

    status, body = curl(port, "GET", "/api/state", host=address, headers=bearer)
    assert status == 200 and json.loads(body) == before, f"with the token: {status} {body}"
    status, body = curl(port, "GET", "/", host=address, headers=bearer)
    assert status == 200 and 'id="take"' in body, f"the web remote with the token: {status}"
    status, body = curl(port, "POST", f"/api/take?token={TOKEN}", host=address)
    assert status == 200, f"a take with ?token= answered {status}: {body}"
    app.wait(lambda: summary(state(port, host=address, headers=bearer))[1:3], 3,
             "page 000 on air after the take", ("000", False))
    show.wait_width(app, "taken", lambda w: w > 30, "the show screen to show page 000")


def oscsend(port, *message):
    r = subprocess.run(["oscsend", "localhost", str(port), *message], capture_output=True,
                       text=True, timeout=5)
    assert r.returncode == 0, f"oscsend {message} failed: {r.stderr}"


def test_oscsend_takes_the_cued_page(start_app, folder):
    port = free_port()
    app = start_app(remote_project(folder / "remote"), more_settings=remote_settings(port),
                    **PLACE)
    show = Show(app.screen)
    open_live(app, port)
    oscsend(port, "/velmora/cue", "i", "1")
    app.wait(lambda: summary(state(port))[:2], 3, "/velmora/cue 1 to cue page 001",
             ("001", None))
    assert show.width("cued") == 0, "a cue put a title on the show screen"
    oscsend(port, "/velmora/take")
    app.wait(lambda: summary(state(port))[1:3], 3, "/velmora/take to take page 001",
             ("001", False))
    one = show.wait_width(app, "taken", lambda w: w > 30, "the show screen to show page 001")
    oscsend(port, "/velmora/text", "iis", "1", "1", "One, sent over OSC at length")
    app.wait(lambda: summary(state(port))[3][1], 3, "/velmora/text to change page 001",
             "One, sent over OSC at length")
    show.wait_width(app, "edited", lambda w: w > one + 300,
                    "the show screen to show the longer title", deadline=2)
    oscsend(port, "/velmora/clear")
    app.wait(lambda: summary(state(port))[1:3], 3, "/velmora/clear to clear", (None, False))
    show.wait_width(app, "cleared", 0, "the show screen to be black after /velmora/clear")


def upgrade(port, path):
    """What the server answers (status line, headers and the start of a body) to the request
    to open a WebSocket at the path."""
    with socket.create_connection(("127.0.0.1", port), timeout=5) as c:
        c.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                  "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                  "Sec-WebSocket-Version: 13\r\n\r\n".encode())
        got = b""
        try:
            while b"\r\n\r\n" not in got or len(got) < 400:
                chunk = c.recv(4096)
                if not chunk:
                    break
                got += chunk
        except socket.timeout:
            pass
    return got.decode(errors="replace")


class Browser:
    """Headless Chromium showing one page, asked over its DevTools protocol."""

    def __init__(self, folder, url):
        import websocket  # python3-websocket
        chromium = shutil.which("chromium") or shutil.which("chromium-browser")
        if chromium is None:
            pytest.skip("no chromium installed")
        self.port = free_port()
        self.log = open(folder / "chromium.log", "w")
        self.proc = subprocess.Popen(
            [chromium, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-dev-shm-usage", f"--remote-debugging-port={self.port}",
             "--remote-allow-origins=*", f"--user-data-dir={folder / 'chromium-profile'}", url],
            stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True)
        ok, target = poll(lambda: self.page_target(url), 30)
        if not ok:
            self.stop()
            pytest.fail(f"Chromium showed no page of {url} within 30 s: {target} "
                        f"({folder / 'chromium.log'})")
        self.ws = websocket.create_connection(target, timeout=10, suppress_origin=True)
        self.n = 0

    def page_target(self, url):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json/list", timeout=2) as r:
            targets = json.load(r)
        return next((t["webSocketDebuggerUrl"] for t in targets
                     if t.get("type") == "page" and t.get("url", "").startswith(url)), None)

    def evaluate(self, expression):
        """The value of the JavaScript expression in the page."""
        self.n += 1
        self.ws.send(json.dumps({"id": self.n, "method": "Runtime.evaluate",
                                 "params": {"expression": expression, "returnByValue": True}}))
        while True:
            answer = json.loads(self.ws.recv())
            if answer.get("id") == self.n:
                break
        result = answer.get("result", {})
        if "exceptionDetails" in result or "error" in answer:
            raise ValueError(f"{expression} failed: {answer}")
        return result["result"].get("value")

    def stop(self):
        if getattr(self, "ws", None):
            self.ws.close()
        if self.proc.poll() is None:
            try:
                self.proc.terminate()
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        try:  # the helpers Chromium started, in its process group
            os.killpg(self.proc.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        self.proc.wait()
        self.log.close()


ROWS = """JSON.stringify([...document.querySelectorAll('#rundown tr')].map(tr =>
    [tr.className, tr.cells[0].textContent, ...[...tr.querySelectorAll('input')].map(
        i => i.value)]))"""


@pytest.fixture
def browser(folder):
    opened = []

    def open_page(url):
        opened.append(Browser(folder, url))
        return opened[-1]

    yield open_page
    for b in opened:
        b.stop()


def test_the_web_remote_in_a_browser_takes_a_page(start_app, folder, browser):
    port = free_port()
    app = start_app(remote_project(folder / "remote"), more_settings=remote_settings(port),
                    **PLACE)
    show = Show(app.screen)
    open_live(app, port)
    page = browser(f"http://127.0.0.1:{port}/")
    rows = lambda: json.loads(page.evaluate(ROWS))
    said = lambda: page.evaluate("document.getElementById('status').textContent")
    app.wait(lambda: page.evaluate("!!document.getElementById('take')"), 10,
             "the web remote's Take button")
    pages = [["000", "Zero", "", ""], ["001", "One", "", ""], ["002", "Two", "", ""]]

    page.evaluate("document.getElementById('take').click()")
    app.wait(lambda: summary(state(port))[1:3], 3, "the Take button to take page 000",
             ("000", False))
    show.wait_width(app, "taken", lambda w: w > 30, "the show screen to show page 000")
    cued = state(port)["cued"]
    marks = [["onair" if p[0] == "000" else "cued" if p[0] == cued else "", *p] for p in pages]
    # The status line tells, on a failure, what the page made of its connection.
    app.wait(lambda: (rows(), said()), 3,
             "the web remote's rundown to list the pages, page 000 on air",
             lambda seen: seen[0] == marks)

    # A take made elsewhere reaches the page over its WebSocket, and so does an edit.
    for path in ("/api/cue/002", "/api/take"):
        status, body = curl(port, "POST", path)
        assert status == 200, f"{path}: {status} {body}"
    status, body = curl(port, "PUT", "/api/pages/002/lines/2", json.dumps({"text": "Below"}))
    assert status == 200, f"PUT of page 002's line 2: {status} {body}"
    followed = poll(lambda: [r[0] for r in rows()] == ["", "", "onair"]
                    and rows()[2][1:] == ["002", "Two", "Below", ""], 3)[0]
    assert followed, (f"the web remote did not follow a take and an edit made by curl: "
                      f"rows {rows()}, status {said()!r}; a WebSocket upgrade of /api/events "
                      f"is answered {upgrade(port, '/api/events')[:400]!r}")
    assert said().startswith("on air: 002   cued: "), f"the web remote's status: {said()!r}"
