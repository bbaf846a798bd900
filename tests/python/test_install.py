"""The installed module: cmake --install puts it where the interpreter it was
built for imports it from, self-contained (the library linked in, no
run-time path to the build tree)."""
import os
import subprocess
import sys

import pytest


def test_installed_module_imports_from_the_prefix(tmp_path):
    build = os.environ.get("RAVO_BUILD_DIR")
    if not build:
        pytest.skip("RAVO_BUILD_DIR names no build tree (ctest sets it)")
    prefix = tmp_path / "prefix"
    subprocess.run([os.environ.get("RAVO_CMAKE", "cmake"), "--install", build, "--prefix", str(prefix)],
                   check=True, stdout=subprocess.DEVNULL)
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env["PYTHONPATH"] = str(prefix / os.environ["RAVO_PYTHON_INSTALL_DIR"])
    out = subprocess.run([sys.executable, "-c", "import ravo_libm; print(ravo_libm.__file__, ravo_libm.cr_csqrt(-9.0))"],
                         check=True, capture_output=True, text=True, env=env, cwd=tmp_path).stdout.split()
    assert out[0].startswith(str(prefix)) and out[1] == "3j"
    # Installed under /usr/local, the interpreter finds it without PYTHONPATH
    # (Debian's python3 searches /usr/local for locally installed modules).
    if any(p.startswith("/usr/local/") for p in sys.path):
        assert "/usr/local/" + os.environ["RAVO_PYTHON_INSTALL_DIR"] in sys.path
