"""A private Wine for one test run: its own prefix, a virtual X display with a window manager,
Wine's fonts in place and its server started, all taken down again whatever happens."""

import contextlib
import os
import pathlib
import shutil
import subprocess
import tempfile
import time


def _start_display():
    """Xvfb on a free display number, which it writes to a pipe once it listens."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.kill()
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + number


@contextlib.contextmanager
def wine_session():
    """Yields the environment to run Wine programs in."""
    for tool in ("wine", "wineserver", "Xvfb", "openbox"):
        if shutil.which(tool) is None:
            raise RuntimeError(f"{tool} is not installed")
    home = pathlib.Path(tempfile.mkdtemp(prefix="orvani-wine-"))
    xvfb, display = _start_display()
    env = dict(os.environ,
               DISPLAY=display,
               HOME=str(home),  # Wine and openbox write nothing into the user's own
               WINEPREFIX=str(home / "prefix"),
               WINEARCH="win32",
               WINEDEBUG="-all",
               # Groups are separated by ';': with a comma Wine would write menu files.
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    window_manager = None
    try:
        window_manager = subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)
        # A persistent server, started before anything else: else the first program's
        # background processes hold the caller's output open.
        (home / "prefix").mkdir()
        subprocess.run(["wineserver", "-p"], env=env, check=True)
        subprocess.run(["wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=180)
        # Debian's Wine looks for its own fonts where they are not: without them title bars
        # and controls show boxes.
        fonts = home / "prefix/drive_c/windows/Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in pathlib.Path("/usr/share/wine/fonts").glob("*"):
            shutil.copy(font, fonts)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        yield env
    finally:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        for process in (window_manager, xvfb):
            if process is not None:
                process.kill()
                process.wait()
        shutil.rmtree(home, ignore_errors=True)


def wait_for(predicate, what, seconds=60.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.1)
    raise TimeoutError(f"timed out waiting for {what}")
