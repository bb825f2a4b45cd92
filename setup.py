"""Builds the orvcore package with the project's CMake and packs it with the library it links.

By default the package is built in build/pip (configured once, without tests, benchmarks, tools or docs, so
later installs only rebuild what changed). ORVCORE_BUILD_DIR=<dir> takes an already built tree instead (its
orvcore_python target is brought up to date). The extension finds the shared library beside itself ($ORIGIN).
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    """The version in CMakeLists.txt's project(VERSION): the one version of the library and its packages."""
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(\s*OrvCore57\s+VERSION\s+([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(os.environ.get("ORVCORE_BUILD_DIR") or ROOT / "build" / "pip").resolve()
        if not (build / "CMakeCache.txt").exists():
            subprocess.check_call([
                "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                "-DPython3_EXECUTABLE=" + sys.executable, "-DORVCORE_BUILD_TESTS=OFF",
                "-DORVCORE_BUILD_BENCHMARKS=OFF", "-DORVCORE_BUILD_TOOLS=OFF"])
        jobs = str(os.cpu_count() or 1)
        subprocess.check_call(["cmake", "--build", str(build), "-j", jobs, "--target", "orvcore_python"])
        package = pathlib.Path(self.get_ext_fullpath(ext.name)).parent
        package.mkdir(parents=True, exist_ok=True)
        for source in (build / "python" / "orvcore").iterdir():
            if source.is_file():
                shutil.copy2(source, package / source.name)
        # The library under its SONAME, which the extension asks for.
        for library in build.glob("libOrvCore57.so.*"):
            if re.fullmatch(r"libOrvCore57\.so\.\d+", library.name):
                shutil.copy2(library.resolve(), package / library.name)


setup(
    version=project_version(),
    packages=["orvcore"],
    package_dir={"": "python"},
    package_data={"orvcore": ["py.typed", "__init__.pyi"]},
    ext_modules=[Extension("orvcore._orvcore", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
