#!/usr/bin/env python3
"""Installs the package as its users do: a copy of the source tree, a fresh virtual environment
with nothing in it but pip, `pip install` with no index, in an isolated build and then without
one; converts a word and a document in that environment, and uninstalls. Usage:
install_in_venv.py SOURCE_TREE WORK_FOLDER."""

import os
import pathlib
import shutil
import subprocess
import sys
import venv

source, work = (pathlib.Path(arg).resolve() for arg in sys.argv[1:3])
shutil.rmtree(work, ignore_errors=True)
tree = work / "orvani"
# The tree as a clone has it: no build trees, no repository.
shutil.copytree(source, tree, ignore=lambda folder, names: {"build", ".git"} & set(names))

environment = work / "venv"
venv.create(environment, with_pip=True)
python = environment / "bin" / "python"
pip = [str(python), "-m", "pip", "--disable-pip-version-check", "--no-input"]
subprocess.run([*pip, "install", "--no-index", str(tree)], check=True)
# The second build reuses the first one's build tree.
subprocess.run([*pip, "install", "--no-build-isolation", "--no-index", "--force-reinstall",
                str(tree)], check=True)

check = r"""
import orvani, pathlib, sys
assert pathlib.Path(orvani.__file__).is_relative_to(sys.prefix), orvani.__file__
print(orvani.convert("Kheetsoy dhath", "old", "new"))
print(orvani.convert_document(b"<p>Kheetsoy</p>", "html", "old", "new").decode())
"""
# Away from the tree, so that nothing there is imported instead.
run = dict(cwd=work, capture_output=True, text=True, check=True)
word = subprocess.run([str(python), "-c", check], **run).stdout
assert word == "xícó ðæþ\n<p>xícó</p>\n", word
stubs = subprocess.run([str(python), "-c", "import sysconfig; print(sysconfig.get_path('platlib'))"],
                       **run).stdout.strip()
assert (pathlib.Path(stubs) / "orvani-stubs" / "__init__.pyi").is_file(), "no stubs installed"

subprocess.run([*pip, "uninstall", "--yes", "orvani"], check=True)
left = subprocess.run([str(python), "-c", "import orvani; print(orvani.__file__)"], cwd=work,
                      capture_output=True, text=True)
assert left.returncode != 0 or not pathlib.Path(left.stdout.strip()).is_relative_to(environment), (
    "still importable after uninstalling: " + left.stdout)
assert not (pathlib.Path(stubs) / "orvani-stubs").exists(), "stubs left after uninstalling"
shutil.rmtree(work)
print("installed, used and uninstalled in", environment)
