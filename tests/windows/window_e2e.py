#!/usr/bin/env python3
"""orvaniconv.exe used as a person would: under Wine on a virtual X display with a window
manager, driven by mouse and keyboard, its text handed over through the X11 clipboard.

    window_e2e.py ORVANICONV_EXE CONVERSIONS_TSV SCREENSHOT_PNG
"""

import pathlib
import re
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).parent))
from wine_session import wait_for, wine_session  # noqa: E402

STANDARDS = {"old": 0, "new": 1, "script": 2}

# Control centres in twips, from the window's layout: where a user would click.
def centre(left, top, width, height):
    return ((left + width // 2) // 15, (top + height // 2) // 15)


TXT_L = centre(120, 120, 3855, 5535)
COM_L = centre(4080, 1200, 1215, 315)
COM_R = centre(4080, 1800, 1215, 315)
CHK_OU = (4080 // 15 + 6, (3480 + 127) // 15)
CHK_A = (4080 // 15 + 6, (3720 + 127) // 15)
CMD_PASTE = centre(4080, 5160, 615, 495)
CMD_COPY = centre(4680, 5160, 615, 495)
# The option panel's place, in pixels: left, top, width, height.
PANEL = {"lblOpt": (272, 216, 81, 17), "chkOU": (272, 232, 81, 17), "chkA": (272, 248, 81, 17)}


def unescape(field):
    def one(match):
        kind = match.group(1)
        if kind.startswith("u{"):
            return chr(int(kind[2:-1], 16))
        return {"t": "\t", "n": "\n", "r": "\r", "\\": "\\"}[kind]
    return re.sub(r"\\(u\{[0-9A-Fa-f]+\}|[tnr\\])", one, field)


def expected_conversions(path):
    for line in pathlib.Path(path).read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        yield {"source": fields[0], "target": fields[1], "a": fields[2] == "1",
               "ohuh": fields[3] == "1", "text": unescape(fields[4]),
               "expected": unescape(fields[5])}


class Window:
    def __init__(self, env):
        self.env = env
        ids = wait_for(lambda: self._run("xdotool", "search", "--name", "^Orvani Converter$",
                                         check=False).split(), "the window")
        self.id = ids[0]
        # Placed once the window manager has framed it.
        wait_for(lambda: "=" in self._run("xprop", "-id", self.id, "_NET_FRAME_EXTENTS"),
                 "the window's frame")
        time.sleep(0.5)
        info = self._run("xwininfo", "-id", self.id)
        self.x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
        self.y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
        self.width = int(re.search(r"Width:\s+(\d+)", info).group(1))
        self.height = int(re.search(r"Height:\s+(\d+)", info).group(1))
        self._run("xdotool", "windowactivate", "--sync", self.id, check=False)
        self.a, self.ohuh = True, False  # as the window starts
        self.left, self.right = 0, 1

    def _run(self, *command, text_input=None, check=True):
        return subprocess.run(command, env=self.env, input=text_input, capture_output=True,
                              text=True, encoding="utf-8", check=check, timeout=30).stdout

    def frame(self):
        """The frame's left, top, right and bottom, from the window manager's extents."""
        extents = self._run("xprop", "-id", self.id, "_NET_FRAME_EXTENTS")
        left, right, top, bottom = map(int, re.findall(r"\d+", extents.split("=")[1]))
        return (self.x - left, self.y - top, self.x + self.width + right,
                self.y + self.height + bottom)

    def click(self, point):
        self._run("xdotool", "mousemove", str(self.x + point[0]), str(self.y + point[1]),
                  "click", "1")
        time.sleep(0.15)

    def keys(self, *keys):
        self._run("xdotool", "key", "--delay", "40", *keys)
        time.sleep(0.15)

    def type(self, text):
        self._run("xdotool", "type", "--delay", "30", text)

    def pick(self, list_centre, index):
        # Opened by the mouse, picked by the keyboard as a user would.
        self.click(list_centre)
        self.keys("Home", *(["Down"] * index), "Return")

    def pick_pair(self, left, right):
        if left != self.left:
            self.pick(COM_L, left)
        if right != self.right:
            self.pick(COM_R, right)
        self.left, self.right = left, right

    def set_options(self, a, ohuh):
        if (a, ohuh) == (self.a, self.ohuh):
            return
        # Both boxes show for Old to New; a hidden box keeps its state.
        left, right = self.left, self.right
        self.pick_pair(0, 1)
        if a != self.a:
            self.click(CHK_A)
        if ohuh != self.ohuh:
            self.click(CHK_OU)
        self.a, self.ohuh = a, ohuh
        self.pick_pair(left, right)

    def put_clipboard(self, text):
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], env=self.env, input=text,
                       text=True, encoding="utf-8", check=True, timeout=10)

    def clipboard(self):
        return self._run("xclip", "-o", "-selection", "clipboard", check=False)

    def shows(self, area):
        """Whether anything is drawn in the area: a hidden control leaves the plain face."""
        left, top, width, height = area
        colours = self._run("import", "-window", "root", "-crop",
                            f"{width}x{height}+{self.x + left}+{self.y + top}", "-format", "%k",
                            "info:")
        return int(colours) > 1

    def convert_through_clipboard(self, text):
        self.put_clipboard(text)
        self.click(CMD_PASTE)
        self.click(TXT_L)
        self.keys("Return")  # Enter presses Convert, also in a text box
        self.click(CMD_COPY)
        return self.clipboard()


def main(exe, table, screenshot):
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL:", message, file=sys.stderr)

    with wine_session() as env:
        program = subprocess.Popen(["wine", exe], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        try:
            window = Window(env)
            left, top, right, bottom = window.frame()
            check(abs((left + right) - 1024) <= 2 and abs((top + bottom) - 768) <= 2,
                  f"the frame {left},{top}-{right},{bottom} is not centred on 1024x768")
            check((window.width, window.height) == (623, 411),
                  f"the window is {window.width}x{window.height}, not 623x411")

            # Typed text, Ctrl+Enter for a new line, Enter to convert, Copy to the clipboard.
            window.click(TXT_L)
            window.type("kheetso")
            window.keys("ctrl+Return")
            window.type("shahr")
            window.keys("Return")
            window.click(CMD_COPY)
            check(window.clipboard() == "xíco\nšar",
                  f"typed Old text gave {window.clipboard()!r}")
            window.keys("alt+c")  # the access key converts again, to the same
            window.click(CMD_COPY)
            check(window.clipboard() == "xíco\nšar", "Alt+C did not convert")
            subprocess.run(["import", "-window", "root", screenshot], env=env, check=True)

            panels_seen = set()
            rows = list(expected_conversions(table))
            for row in rows:
                left, right = STANDARDS[row["source"]], STANDARDS[row["target"]]
                if left == right or not row["text"]:
                    # Convert is off for one standard on both sides; X11 has no empty text
                    # to paste.
                    continue
                window.set_options(row["a"], row["ohuh"])
                window.pick_pair(left, right)
                if (left, right) not in panels_seen:
                    panels_seen.add((left, right))
                    with_options = (left, right) in {(0, 1), (1, 0), (0, 2), (2, 0)}
                    with_a = (left, right) in {(0, 1), (0, 2)}
                    shown = {name: window.shows(area) for name, area in PANEL.items()}
                    check(shown == {"lblOpt": with_options, "chkOU": with_options,
                                    "chkA": with_a},
                          f"option panel for {row['source']} to {row['target']}: {shown}")
                got = window.convert_through_clipboard(row["text"])
                # Wine hands text to X11 with LF line ends.
                want = row["expected"].replace("\r\n", "\n")
                check(got == want, f"{row['source']} to {row['target']} a={row['a']} "
                      f"oh/uh={row['ohuh']}: {row['text']!r} gave {got!r}, not {want!r}")
            check(len(panels_seen) == 6, f"only {len(panels_seen)} pairs were tried")
        finally:
            program.kill()
            subprocess.run(["pkill", "-f", "xclip -i"], check=False)
    if failures:
        print(f"{len(failures)} checks failed", file=sys.stderr)
        return 1
    print(f"the window converted {len(rows)} table rows through the X11 clipboard; "
          f"screenshot in {screenshot}")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
