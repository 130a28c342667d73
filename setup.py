"""Builds the Python module orvani with this tree's CMake build, for the Python that runs it.

What it needs is what a CMake build of the module needs: CMake, a C++20 compiler, the Python
development files, pybind11's CMake package, ICU, and for documents expat and libzip (Debian:
cmake, g++, python3-dev, pybind11-dev, libicu-dev, libexpat1-dev, libzip-dev).
"""

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


class CMakeBuiltModule(build_ext):
    """Configures the tree for the module alone and builds it; the module is copied where
    setuptools expects its extension, and its type stubs beside it as the stub-only package
    orvani-stubs, where type checkers look among installed packages."""

    def run(self):
        super().run()
        stubs = pathlib.Path(self.build_lib) / "orvani-stubs"
        stubs.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(ROOT / "python" / "orvani.pyi", stubs / "__init__.pyi")

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build),
            "-DCMAKE_BUILD_TYPE=Release",
            f"-DPython3_EXECUTABLE={sys.executable}",
            "-DORVANI_BUILD_PYTHON=ON",
            "-DORVANI_BUILD_CLI=OFF",
            "-DORVANI_BUILD_GUI=OFF",
            "-DORVANI_PACKAGING=OFF",
            "-DORVANI_INSTALL=OFF",
            "-DBUILD_TESTING=OFF",
        ]  # fmt: skip
        if shutil.which("ninja") and not (build / "CMakeCache.txt").exists():
            configure += ["-G", "Ninja"]
        subprocess.run(configure, check=True)
        jobs = ["--parallel", str(self.parallel)] if self.parallel else ["--parallel"]
        subprocess.run(
            ["cmake", "--build", str(build), "--target", "orvani_python", *jobs], check=True
        )
        built = build / "python" / os.path.basename(self.get_ext_filename(ext.name))
        destination = pathlib.Path(self.get_ext_fullpath(ext.name))
        destination.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, destination)


setup(
    ext_modules=[Extension("orvani", sources=[])],
    cmdclass={"build_ext": CMakeBuiltModule},
)
