import doctest
import pathlib
import shutil
import subprocess
import sys

import pytest

import orvani

STUBS = pathlib.Path(__file__).parent.parent
EXAMPLES = pathlib.Path(__file__).parent / "typing"


def mypy(path):
    environment = {"MYPYPATH": str(STUBS), "PATH": "/usr/bin:/bin"}
    command = [sys.executable, "-m", "mypy", "--strict", "--no-incremental", "--cache-dir",
               "/dev/null", "--no-error-summary", str(path)]  # fmt: skip
    return subprocess.run(command, capture_output=True, text=True, env=environment)


needs_mypy = pytest.mark.skipif(
    subprocess.run([sys.executable, "-m", "mypy", "--version"], capture_output=True).returncode,
    reason="no mypy (Debian: mypy)",
)


@needs_mypy
def test_the_stubs_type_every_use_under_mypy_strict():
    checked = mypy(EXAMPLES / "uses_every_function.py")
    assert checked.returncode == 0, checked.stdout + checked.stderr


@needs_mypy
def test_mypy_finds_each_misuse():
    checked = mypy(EXAMPLES / "misuses.py")
    lines = sorted({int(line.split(":")[1]) for line in checked.stdout.splitlines() if ": error:" in line})
    misuses = [number for number, line in enumerate((EXAMPLES / "misuses.py").read_text().splitlines(), 1)
               if line.startswith(("orvani.", "number"))]  # fmt: skip
    assert lines == misuses, checked.stdout


def test_every_docstring_has_an_example_that_holds():
    finder = doctest.DocTestFinder(exclude_empty=False)
    tests = finder.find(orvani, "orvani", globs={"orvani": orvani, **vars(orvani)})
    public = {name for name in dir(orvani) if not name.startswith("_")}
    documented = {test.name.split(".")[1] for test in tests if test.examples and "." in test.name}
    assert public <= documented
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    for test in tests:
        runner.run(test)
    assert runner.failures == 0
