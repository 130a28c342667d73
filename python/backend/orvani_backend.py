"""The build backend of the Python package orvani: this tree's CMake builds the module for the
Python that runs the build, and the wheel is written here. It needs no Python package of its
own, so that `pip install .` works in any virtual environment and offline, build isolation
and all.

What the build needs is what a CMake build of the module needs: CMake, a C++20 compiler, the
Python development files, pybind11's CMake package, ICU, expat and libzip (Debian: cmake, g++,
python3-dev, pybind11-dev, libicu-dev, libexpat1-dev, libzip-dev).
"""

import base64
import hashlib
import io
import pathlib
import shutil
import subprocess
import sys
import sysconfig
import tarfile
import tomllib
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
# What a source archive leaves out: build trees, the repository, the page's npm folders.
NOT_SOURCE = {".git", "build", "dist", "node_modules", "__pycache__", "venv", ".venv"}


def _project():
    with open(ROOT / "pyproject.toml", "rb") as file:
        return tomllib.load(file)["project"]


def _metadata():
    project = _project()
    lines = [
        "Metadata-Version: 2.1",
        f"Name: {project['name']}",
        f"Version: {project['version']}",
        f"Summary: {project['description']}",
        f"Requires-Python: {project['requires-python']}",
        f"License: {project['license']['text']}",
        *(f"Classifier: {classifier}" for classifier in project.get("classifiers", [])),
    ]
    return "\n".join(lines) + "\n"


def _dist_info_name():
    project = _project()
    return f"{project['name']}-{project['version']}.dist-info"


def _wheel_tag():
    # The module is built for this interpreter and platform only.
    interpreter = f"{sys.implementation.name[:2]}{sys.version_info.major}{sys.version_info.minor}"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{interpreter}-{interpreter}-{platform}"


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    dist_info = pathlib.Path(metadata_directory) / _dist_info_name()
    dist_info.mkdir(parents=True, exist_ok=True)
    (dist_info / "METADATA").write_text(_metadata(), encoding="utf-8")
    return dist_info.name


def _build_module():
    """Configures the tree for the module alone, once per Python, and builds it."""
    build = ROOT / "build" / f"python-{_wheel_tag()}"
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
    # pip shows a build's output only when it fails: then all of it goes to standard error.
    subprocess.run(configure, check=True, stdout=sys.stderr)
    subprocess.run(
        ["cmake", "--build", str(build), "--target", "orvani_python", "--parallel"],
        check=True,
        stdout=sys.stderr,
    )
    suffix = sysconfig.get_config_var("EXT_SUFFIX")
    return build / "python" / f"orvani{suffix}"


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    module = _build_module()
    dist_info = _dist_info_name()
    files = {
        module.name: module.read_bytes(),
        # Stub-only packages are where type checkers look among installed packages.
        "orvani-stubs/__init__.pyi": (ROOT / "python" / "orvani.pyi").read_bytes(),
        f"{dist_info}/METADATA": _metadata().encode(),
        f"{dist_info}/WHEEL": (
            "Wheel-Version: 1.0\nGenerator: orvani_backend\nRoot-Is-Purelib: false\n"
            f"Tag: {_wheel_tag()}\n"
        ).encode(),
        f"{dist_info}/LICENSE": (ROOT / "LICENSE").read_bytes(),
    }
    record = [_record_line(name, data) for name, data in files.items()]
    record.append(f"{dist_info}/RECORD,,")
    files[f"{dist_info}/RECORD"] = ("\n".join(record) + "\n").encode()

    project = _project()
    wheel_name = f"{project['name']}-{project['version']}-{_wheel_tag()}.whl"
    with zipfile.ZipFile(
        pathlib.Path(wheel_directory) / wheel_name, "w", zipfile.ZIP_DEFLATED
    ) as wheel:
        for name, data in files.items():
            info = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            info.external_attr = (0o755 if name == module.name else 0o644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(info, data)
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    project = _project()
    base = f"{project['name']}-{project['version']}"
    archive = f"{base}.tar.gz"
    metadata = _metadata().encode()

    def source_only(info):
        parts = pathlib.PurePosixPath(info.name).parts
        if any(part in NOT_SOURCE for part in parts) or info.name.endswith((".pyc", ".pyo")):
            return None
        info.uid = info.gid = 0
        info.uname = info.gname = ""
        return info

    path = pathlib.Path(sdist_directory) / archive
    with tarfile.open(path, "w:gz", format=tarfile.PAX_FORMAT) as tar:
        for entry in sorted(ROOT.iterdir()):
            tar.add(entry, arcname=f"{base}/{entry.name}", filter=source_only)
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        info.size = len(metadata)
        info.mode = 0o644
        tar.addfile(info, io.BytesIO(metadata))
    return archive

