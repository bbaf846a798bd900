"""Builds the Python package ravo_libm with the project's own CMake build.

setuptools (pyproject.toml holds the metadata) asks for one extension,
ravo_libm._ravo_libm; instead of compiling it, build_ext configures CMake for
the interpreter running the build and builds the module's target alone, so
the library gets the floating-point flags, build guards and per-file
instruction sets its CMakeLists give it. The version is project(VERSION) of
the top-level CMakeLists.txt.

RAVO_CMAKE_BUILD_DIR, when set, names a build tree already configured with
the module (a Debian package build's), which is built instead of a new one.
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import sysconfig

from setuptools import Extension, setup
from setuptools.command.build import build
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"project\(\s*ravo_libm\s+VERSION\s+([0-9]+(?:\.[0-9]+)*)", text)
    if not match:
        sys.exit("setup.py: no project(ravo_libm VERSION ...) in CMakeLists.txt")
    return match.group(1)


def numpy_requirement():
    # The module uses numpy's C API as the building numpy has it: it loads
    # with that numpy or a later one of the same ABI (numpy 2 changed it).
    try:
        import numpy
    except ImportError:  # setup.py clean, or a build that will say so itself
        return "numpy"
    major, minor = (int(part) for part in numpy.__version__.split(".")[:2])
    return f"numpy>={major}.{minor}" + (",<2" if major < 2 else "")


class BuildFresh(build):
    """Empties the package's folder under build_lib first, so a wheel never
    carries a file an earlier build left there."""

    def run(self):
        shutil.rmtree(pathlib.Path(self.build_lib) / "ravo_libm", ignore_errors=True)
        super().run()


class CMakeBuildExt(build_ext):
    def build_extension(self, ext):
        build_dir = os.environ.get("RAVO_CMAKE_BUILD_DIR")
        if build_dir:
            build_dir = pathlib.Path(build_dir).resolve()
        else:
            # Kept between builds (under setuptools' build folder): a second
            # build, the wheel after pip install, recompiles nothing.
            build_dir = pathlib.Path(self.build_temp).resolve() / "cmake"
            configure = ["cmake", "-S", str(ROOT), "-B", str(build_dir),
                         "-DCMAKE_BUILD_TYPE=Release", "-DRAVO_BUILD_TESTS=OFF", "-DRAVO_BUILD_TOOLS=OFF",
                         "-DRAVO_BUILD_PYTHON=ON", f"-DPython3_EXECUTABLE={sys.executable}"]
            if not (build_dir / "CMakeCache.txt").exists() and shutil.which("ninja"):
                configure += ["-G", "Ninja"]
            subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "ravo_libm_python", "-j", jobs],
                       check=True)
        name = "_ravo_libm" + sysconfig.get_config_var("EXT_SUFFIX")
        built = build_dir / "python" / "ravo_libm" / name
        if not built.exists():
            sys.exit(f"setup.py: CMake built no {built} (is the module's Python {sys.version.split()[0]}?)")
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    version=project_version(),
    install_requires=[numpy_requirement()],
    package_dir={"": "python"},
    packages=["ravo_libm"],
    package_data={"ravo_libm": ["py.typed", "*.pyi"]},
    include_package_data=False,
    ext_modules=[Extension("ravo_libm._ravo_libm", sources=[])],
    cmdclass={"build": BuildFresh, "build_ext": CMakeBuildExt},
    # Beside the CMake build in build/, not in it.
    options={"build": {"build_base": "build/python-package"}},
)
