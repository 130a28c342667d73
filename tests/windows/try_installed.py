#!/usr/bin/env python3
"""Starts an installed orvaniconv.exe under the Wine and display of the caller's environment,
converts one typed text with the keyboard alone, reads it from the X11 clipboard and closes the
window again.

    try_installed.py ORVANICONV_EXE
"""

import subprocess
import sys
import time

from wine_session import wait_for


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, encoding="utf-8",
                          timeout=30).stdout


def main(exe):
    program = subprocess.Popen(["wine", exe], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        window = wait_for(lambda: run("xdotool", "search", "--name", "^Orvani Converter$").split(),
                          "the installed program's window")[0]
        time.sleep(1)
        run("xdotool", "windowfocus", "--sync", window)
        # The text box has the focus at start; Enter converts; Shift+Tab reaches Copy.
        run("xdotool", "type", "--delay", "30", "kheetso shahr")
        for keys in (["Return"], ["shift+Tab"], ["space"]):
            run("xdotool", "key", *keys)
            time.sleep(0.3)
        got = run("xclip", "-o", "-selection", "clipboard")
        run("xdotool", "key", "alt+F4")
        program.wait(timeout=30)
    finally:
        if program.poll() is None:
            program.kill()
    if got != "xíco šar":
        print(f"the installed program gave {got!r}, not 'xíco šar'", file=sys.stderr)
        return 1
    print("the installed program converted 'kheetso shahr' to 'xíco šar'")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
