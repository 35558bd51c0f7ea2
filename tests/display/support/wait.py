"""Waiting on conditions with deadlines: nothing waits a fixed time."""

import subprocess
import time

import pytest

# The folder of the running test's screenshots and logs, named in every failure.
folder = None


def poll(look, deadline, want=None):
    """Calls look() every 50 ms until what it returns is truthy (or, given want, equals want or
    satisfies it) or `deadline` seconds have passed; it is called at least once, and once more
    at the deadline. Returns (done, what it last returned). A look that raises counts as not
    done, the error as what it saw."""
    done = want if callable(want) else (bool if want is None else lambda v: v == want)
    end = time.monotonic() + deadline
    while True:
        last = time.monotonic() >= end
        try:
            seen = look()
        except (OSError, ValueError, IndexError, TypeError, subprocess.SubprocessError) as e:
            seen = f"{type(e).__name__}: {e}"
        else:
            if done(seen):
                return True, seen
        if last:
            return False, seen
        time.sleep(min(0.05, max(0.0, end - time.monotonic())))


def wait_until(look, deadline, what, want=None, context=None):
    """As poll(), failing the test on time out with what it waited for, what it last saw and,
    given context, what context() tells. Returns what look() returned."""
    ok, seen = poll(look, deadline, want)
    if not ok:
        wanted = "" if want is None or callable(want) else f" (wanted {want!r})"
        more = f"; {context()}" if context else ""
        fail(f"waited {deadline:g} s for {what}; last saw {seen!r}{wanted}{more}")
    return seen


def fail(message):
    pytest.fail(f"{message}\n  screenshots and logs: {folder}")


def keep(folder, *names):
    """Keeps screenshots of the folder as PNG files beside the failure message."""
    for n in names:
        if (folder / f"{n}.ppm").exists():
            subprocess.run(["convert", folder / f"{n}.ppm", folder / f"{n}.png"])


def keep_newest(folder, n=4):
    newest = sorted(folder.glob("*.ppm"), key=lambda p: p.stat().st_mtime)[-n:]
    keep(folder, *(p.stem for p in newest))


def since(t0):
    return f"{time.monotonic() - t0:.2f} s"
