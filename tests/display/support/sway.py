"""Velmora on a Wayland desktop: sway without a display (its headless backend), its outputs side
by side, run with the program as an ordinary user (sway will not run as root); the windows as
sway's tree tells them, keys by wtype, screenshots by grim."""

import json
import os
import pwd
import shutil
import subprocess
import tempfile
from pathlib import Path

from . import pixels
from .wait import wait_until
from .x11 import FONTS

USER = os.environ.get("VELMORA_SWAY_USER", "velmora-check")


def windows(node, output=None):
    """(output, window) of every window of sway's tree."""
    if node.get("type") == "output":
        output = node.get("name")
    if node.get("type") in ("con", "floating_con") and node.get("pid"):
        yield output, node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from windows(child, output)


class Desktop:
    def __init__(self, outputs, folder, program):
        """outputs: (name, width, height, x, y) of each."""
        self.outputs, self.folder, self.procs, self.started = outputs, folder, [], {}
        if os.getuid() == 0:
            if subprocess.run(["id", USER], capture_output=True).returncode:
                subprocess.run(["useradd", "--create-home", "--shell", "/usr/sbin/nologin",
                                USER], check=True)
            u = pwd.getpwnam(USER)
            self.user = dict(user=u.pw_uid, group=u.pw_gid, extra_groups=[])
        else:
            self.user = {}
        # The user's own folder: the test's folder under pytest's is out of that user's reach.
        self.dir = Path(tempfile.mkdtemp(prefix="velmora-sway."))
        for d in ("home", "runtime", "config", "cache", "data", "project"):
            (self.dir / d).mkdir()
        (self.dir / "runtime").chmod(0o700)
        self.dir.chmod(0o755)
        shutil.copy(FONTS, self.dir / "fonts.conf")
        (self.dir / "sway.conf").write_text("".join(
            f"output {n} resolution {w}x{h} position {x},{y} bg #000000 solid_color\n"
            for n, w, h, x, y in outputs) +
            "xwayland disable\nfocus_on_window_activation focus\ndefault_border none\n")
        self.env = {"PATH": os.environ["PATH"], "HOME": str(self.dir / "home"),
                    "XDG_RUNTIME_DIR": str(self.dir / "runtime")}
        self.sock = self.wayland = None
        self.program = program
        try:
            self.run("test", "-x", program)
        except OSError:  # out of the user's reach: a copy of it
            self.program = self.dir / "velmora"
            shutil.copy(program, self.program)

    def own(self):
        if self.user:
            subprocess.run(["chown", "-R", USER, self.dir], check=True)

    def start(self):
        self.own()
        self.sway = self.spawn("sway", ["sway", "-c", self.dir / "sway.conf"],
                               WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                               WLR_HEADLESS_OUTPUTS=str(len(self.outputs)),
                               WLR_LIBINPUT_NO_DEVICES="1")
        wait_until(self.sockets, 15, "sway's sockets", context=lambda: self.tail("sway"))
        self.env["WAYLAND_DISPLAY"] = self.wayland
        # A keyboard for the whole run. The desktop has no input devices of its own: each wtype
        # adds a keyboard for as long as it runs, and a program told of the seat's first
        # keyboard only as the keys arrive misses them. This one sleeps an hour before its one
        # key and is ended first.
        self.spawn("keyboard", ["wtype", "-s", "3600000", "-k", "Shift_L"])
        have = sorted((o["name"], o["rect"]["width"], o["rect"]["height"], o["rect"]["x"],
                       o["rect"]["y"]) for o in json.loads(self.msg("-t", "get_outputs")))
        assert have == sorted(self.outputs), "the desktop's outputs are not those asked for"
        return self

    def start_app(self):
        self.own()
        return self.spawn("velmora", [self.program], QT_QPA_PLATFORM="wayland",
                          FONTCONFIG_FILE=str(self.dir / "fonts.conf"),
                          **{f"XDG_{k.upper()}_HOME": str(self.dir / k)
                             for k in ("config", "cache", "data")})

    def spawn(self, name, cmd, **env):
        with open(self.folder / f"{name}.log", "w") as log:
            p = subprocess.Popen(cmd, env=dict(self.env, **env), stdout=log,
                                 stderr=subprocess.STDOUT, **self.user)
        self.procs.append(p)
        self.started[name] = p
        return p

    def wait(self, look, deadline, what, want=None):
        """wait_until, telling on time out what became of the program."""
        return wait_until(look, deadline, what, want, context=self.trouble)

    def trouble(self):
        app = self.started.get("velmora")
        if app and app.poll() is not None:
            return f"the program has ended with status {app.returncode}; {self.tail('velmora')}"
        return f"windows: {self.titles()}"

    def tail(self, name):
        lines = (self.folder / f"{name}.log").read_text(errors="replace").splitlines()
        return f"{name}'s output ends: {' '.join(lines[-3:])}"

    def run(self, *cmd, timeout=5, text=True):
        r = subprocess.run([str(c) for c in cmd], env=self.env, capture_output=True,
                           text=text, timeout=timeout, **self.user)
        if r.returncode:
            raise OSError(f"{cmd[0]} failed: {r.stderr!s:.200}")
        return r.stdout

    def sockets(self):
        if self.sway.poll() is not None:
            return False
        runtime = os.listdir(self.dir / "runtime")
        socks = [s for s in runtime if s.startswith("sway-ipc.") and s.endswith(".sock")]
        waylands = [s for s in runtime if s.startswith("wayland-") and not s.endswith(".lock")]
        if not socks or not waylands:
            return False
        self.sock, self.wayland = str(self.dir / "runtime" / socks[0]), waylands[0]
        return self.msg("-t", "get_outputs") is not None

    def msg(self, *args):
        return self.run("env", f"SWAYSOCK={self.sock}", "swaymsg", "-r", *args)

    def where(self, prefix):
        """(output, full screen, focused, visible) of the first window whose title starts so,
        or None; the titles of all the windows beside it."""
        found, titles = None, []
        for output, w in windows(json.loads(self.msg("-t", "get_tree"))):
            title = w.get("name") or ""
            titles.append(title)
            if found is None and title.startswith(prefix):
                found = (output, w.get("fullscreen_mode", 0) != 0, bool(w.get("focused")),
                         bool(w.get("visible")))
        return found, titles

    def titles(self):
        return "; ".join(f"{o} {w.get('name')!r}"
                         for o, w in windows(json.loads(self.msg("-t", "get_tree"))))

    def keys(self, *args):
        self.run("wtype", *args)

    def shoot(self, name):
        """The whole desktop, every output, at one moment; kept as name.ppm."""
        data = self.run("grim", "-t", "ppm", "-", timeout=10, text=False)
        (self.folder / f"{name}.ppm").write_bytes(data)
        return pixels.load(data)

    def stop(self):
        for p in reversed(self.procs):  # the program, the keyboard, then sway
            p.terminate()
            try:
                p.wait(3)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        shutil.rmtree(self.dir, ignore_errors=True)
