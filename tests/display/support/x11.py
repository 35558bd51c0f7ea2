"""Velmora on an X server: Xvfb, the program's windows as xwininfo and xdotool see them, keys and
the pointer, and screenshots."""

import os
import re
import select
import subprocess
import time
from pathlib import Path

from . import files, pixels
from .wait import fail, keep, wait_until

MAIN_CAPTION_START = "Velmora-32 PRO "
PLAYBACK_CAPTION = "Velmora Playback"  # playback/bitmcan.cpp
FONTS = Path(__file__).resolve().parent.parent / "fonts.conf"


def output(cmd, env, timeout=5):
    """What the command prints, or None when it fails or does not end in time."""
    try:
        r = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    return r.stdout if r.returncode == 0 else None


class Xvfb:
    def __init__(self, width, height, log):
        read, write = os.pipe()
        # -displayfd: the server picks a display nobody uses and writes its number when ready.
        # -noreset: by default the server resets when its last client leaves, and a program
        # that connects while it resets (the next test's) is dropped.
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0",
             f"{width}x{height}x24", "-nolisten", "tcp"],
            pass_fds=[write], stdout=log, stderr=subprocess.STDOUT)
        os.close(write)
        number, end = b"", time.monotonic() + 10
        while not number.endswith(b"\n"):
            if not select.select([read], [], [], max(0, end - time.monotonic()))[0]:
                raise RuntimeError(f"Xvfb reported no display within 10 s ({log.name})")
            chunk = os.read(read, 16)
            if not chunk:
                raise RuntimeError(f"Xvfb ended at start ({log.name})")
            number += chunk
        os.close(read)
        self.env = dict(os.environ, DISPLAY=":" + number.decode().strip())
        root = output(["xwininfo", "-root"], self.env) or ""
        size = re.findall(r"^  (?:Width|Height): (\d+)", root, re.M)
        if size != [str(width), str(height)]:
            raise RuntimeError(f"the virtual screen is {size}, not {width}x{height}")

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


class Screen:
    """An X screen as one test sees it: its size, the program's scale on it and the folder of
    the test's screenshots."""

    def __init__(self, server, width, height, scale, folder):
        self.env, self.width, self.height, self.scale = server.env, width, height, scale
        self.folder = folder
        self.context = lambda: ""  # what else a failure tells: the program's state, once started

    def run(self, *cmd, timeout=5):
        return output(cmd, self.env, timeout)

    def info(self, wid):
        """Map state, place and size, and whether it is override-redirect; {} once it is gone."""
        text = self.run("xwininfo", "-id", str(wid)) or ""
        v = dict(re.findall(r"^\s+([A-Z][\w -]+?):\s+(\S+)", text, re.M))
        if "Width" not in v:
            return {}
        return {"state": v.get("Map State"), "override": v.get("Override Redirect State"),
                "geom": tuple(int(v[k]) for k in ("Absolute upper-left X",
                                                  "Absolute upper-left Y", "Width", "Height"))}

    def viewable(self, wid):
        return wid is not None and self.info(wid).get("state") == "IsViewable"

    def state(self, wid):
        return self.info(wid).get("state", "gone")

    def geom(self, wid):
        return self.info(wid).get("geom")

    def name(self, wid):
        return (self.run("xdotool", "getwindowname", str(wid)) or "").rstrip("\n")

    def kind(self, wid):
        return self.run("xprop", "-id", str(wid), "_NET_WM_WINDOW_TYPE") or ""

    def top(self):
        """The top-most viewable child of the root window (xwininfo lists the top one first)."""
        text = self.run("xwininfo", "-root", "-children") or ""
        for w in re.findall(r"^\s+(0x[0-9a-f]+)", text, re.M):
            if self.viewable(int(w, 16)):
                return int(w, 16)
        return None

    def xdotool(self, *args):
        return self.run("xdotool", *(str(a) for a in args))

    def key(self, *keys):
        self.xdotool("key", *keys)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", button)

    def keys_to(self, wid, *keys):
        """Focuses the window and types the keys there."""
        if self.xdotool("windowfocus", "--sync", wid) is None:
            fail(f"could not focus the window {wid} ({self.name(wid)!r}) to press {keys}"
                 f"{self.context()}")
        self.key(*keys)

    def shoot(self, name, size=None):
        """The screen (or its top-left part of that (width, height)) as the X server shows it,
        kept as name.ppm in the test's folder."""
        path = self.folder / f"{name}.ppm"
        crop = ["-crop", "%dx%d+0+0" % size] if size else []
        if self.run("import", "-window", "root", *crop, "-depth", "8", path, timeout=10) is None:
            raise OSError(f"import could not take the screenshot {name}")
        return pixels.load(path.read_bytes())

    def keep(self, *names):
        keep(self.folder, *names)


class App:
    """The program started on a screen with a home of its own, the settings file naming the
    project and the main window's place (top, left, height, width), and any further arguments
    on its command line; `more_settings`, further sections of the settings file as text."""

    def __init__(self, screen, program, home, project, env=(), args=(), more_settings="",
                 **place):
        self.screen, self.home = screen, home
        for d in ("config", "runtime", "cache", "data"):
            (home / d).mkdir(parents=True, exist_ok=True)
        (home / "runtime").chmod(0o700)
        self.settings = home / "config" / "velmora.ini"
        files.settings(self.settings, f"{project}/xvfb.kvt", f"{project}/", **place)
        if more_settings:
            with open(self.settings, "a") as f:
                f.write(more_settings)
        env = dict(screen.env, XDG_CONFIG_HOME=str(home / "config"),
                   XDG_RUNTIME_DIR=str(home / "runtime"), XDG_CACHE_HOME=str(home / "cache"),
                   XDG_DATA_HOME=str(home / "data"), QT_QPA_PLATFORM="xcb",
                   FONTCONFIG_FILE=str(FONTS), **dict(env))
        if screen.scale != 1:
            env["QT_SCALE_FACTOR"] = str(screen.scale)
        self.log = home / "velmora.log"
        with open(self.log, "w") as log:
            self.proc = subprocess.Popen([program, *map(str, args)], env=env, stdout=log,
                                         stderr=subprocess.STDOUT)
        self.main = self.playback = None
        screen.context = lambda: f"; {self.trouble()}"

    def alive(self):
        return self.proc.poll() is None

    def stop(self):
        if self.alive():
            self.proc.terminate()
            try:
                self.proc.wait(3)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        self.proc.wait()

    def windows(self):
        found = self.screen.xdotool("search", "--pid", self.proc.pid) or ""
        return [int(w) for w in found.split()]

    def find(self, start):
        """The first of the program's windows whose caption starts with the text."""
        return next((w for w in self.windows() if self.screen.name(w).startswith(start)), None)

    def find_viewable(self, start):
        w = self.find(start)
        return w if self.screen.viewable(w) else None

    def describe(self):
        s = self.screen
        return " ".join(f"[{w} {s.state(w)} {s.geom(w)} {s.name(w)!r}]"
                        for w in self.windows()) or "none"

    def trouble(self):
        """What went wrong with the program, for a message."""
        if not self.alive():
            tail = " ".join(self.log.read_text(errors="replace").splitlines()[-3:])
            return f"the program has ended with status {self.proc.returncode} (output: {tail})"
        return f"windows of the program: {self.describe()}"

    def wait(self, look, deadline, what, want=None):
        """wait_until, telling on time out what became of the program."""
        return wait_until(look, deadline, what, want, context=self.trouble)

    def main_shown(self):
        self.main = self.main or (self.find(MAIN_CAPTION_START) if self.alive() else None)
        return self.alive() and self.screen.viewable(self.main)

    def splash(self):
        """The splash box: the program's viewable window of 200 x 96 pixels."""
        for w in self.windows():
            info = self.screen.info(w)
            if info.get("state") == "IsViewable" and info["geom"][2:] == (200, 96):
                return w
        return None

    def wait_editor(self):
        """Waits until the editor is ready for keys: main window shown, splash box closed."""
        self.wait(self.main_shown, 10, "the main window to appear after the start")
        self.wait(lambda: self.splash() is None, 8,
                  "the splash box to close after the main window appeared")
        return self

    def editor_point(self):
        """A point of the menu bar right of its last menu: an editor pixel never black."""
        x, y, w, h = self.screen.geom(self.main)
        return x + w - 30, y + 8

    def play(self, keys="ctrl+p"):
        self.playback = None
        self.screen.keys_to(self.main, keys)

    def playback_shown(self):
        self.playback = self.playback or self.find(PLAYBACK_CAPTION)
        return self.screen.viewable(self.playback)

    def editor_back(self):
        return self.screen.viewable(self.main) and not self.screen.viewable(self.playback)

    def menu_open(self):
        """One of the program's windows is a viewable override-redirect window (as Qt's popup
        menus are) of more than a few pixels."""
        return any(i.get("state") == "IsViewable" and i["override"] == "yes" and i["geom"][2] > 3
                   for i in map(self.screen.info, self.windows()))

    def menu(self, open_key, *keys):
        """Opens a menu of the main window by its mnemonic and presses the keys."""
        self.screen.keys_to(self.main, open_key)
        self.wait(self.menu_open, 3, f"{open_key} to open a menu")
        self.screen.key(*keys)

    def window_shown(self, caption, shot, size=None):
        """Waits for the window of exactly that caption (and client size) and shoots it."""
        w = self.wait(lambda: self.find_viewable(caption), 3, f'"{caption}" to appear')
        assert self.screen.name(w) == caption
        if size:
            assert self.screen.geom(w)[2:] == size, f'"{caption}" is not {size}'
        return w, self.screen.shoot(shot)

    def close_with(self, wid, key, what, deadline=3):
        self.screen.keys_to(wid, key)
        self.wait(lambda: not self.screen.viewable(wid), deadline, f"{key} to close {what}")
