#!/usr/bin/env bash
# The four ways a user installs ravo_libm, each from a fresh clone of the
# committed HEAD, as the README gives them:
#   1. make install PREFIX=...: a C program built with pkg-config (also after
#      the tree is moved) and a CMake project with find_package; installing
#      over an older install, make uninstall, a prefix without write access;
#   2. pip install --no-build-isolation . into a venv: the version agrees
#      with the metadata, the stubs match the module, the tests pass from the
#      venv, pip uninstall leaves nothing;
#   3. python3 -m build --wheel --no-isolation: the wheel installs with
#      --no-index into a fresh venv;
#   4. dpkg-buildpackage -b -us -uc, without network or home folder, from the
#      tree the steps above left dirty: lintian finds no error, and the
#      packages extracted into a scratch root serve a C program and Python.
# Usage: tools/packaging-check.sh [work folder, default a new one in /tmp]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$(mktemp -d /tmp/ravo-packaging.XXXXXX)}
rm -rf "$work" && mkdir -p "$work"
# A user's plain Debian shell: Debian's python3 (the one python3-numpy
# serves), no pip options or Python settings from this machine's environment.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
for name in $(env | sed -n 's/^\(PIP_[A-Z_]*\|PYTHON[A-Z_]*\|VIRTUAL_ENV\)=.*/\1/p'); do unset "$name"; done
export PIP_CACHE_DIR=$work/pip-cache
fail() { echo "FAIL: $*"; exit 1; }
step_start=$SECONDS
step() { echo "-- $1 ($((SECONDS - step_start)) s since the start)"; }

git clone -q "$repo" "$work/src"
src=$work/src
cd "$src"
version=$(sed -n 's/^project(ravo_libm VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || fail "no project(ravo_libm VERSION ...) in CMakeLists.txt"
[[ $(dpkg-parsechangelog -S Version) == "$version" ]] || fail "debian/changelog is not at version $version"
for page in man/man1/csqrt.1 man/man3/csqrt_scalar.3; do
  grep -q "\"ravo_libm $version\"" $page || fail "$page does not name version $version"
done

step "1. make install into a scratch prefix"
prefix=$work/prefix
make install PREFIX="$prefix" >"$work/make-install.log" 2>&1 || { tail -20 "$work/make-install.log"; fail "make install"; }
[[ $("$prefix/bin/csqrt" --version) == "csqrt (ravo_libm) $version" ]] || fail "csqrt --version"
pyprefix=$(cd "$prefix" && echo lib/python3*/*-packages)
[[ -f "$prefix/$pyprefix/ravo_libm/py.typed" ]] || fail "the Python package is not installed"
PYTHONPATH=$prefix/$pyprefix python3 -c "import ravo_libm; assert ravo_libm.__version__ == '$version' and ravo_libm.cr_csqrt(-4) == 2j"
consume_with_pkg_config() {  # prefix, program
  PKG_CONFIG_PATH=$1/lib/pkgconfig
  export PKG_CONFIG_PATH
  cc -std=c11 tests/consumer/consumer.c $(pkg-config --cflags --libs ravo_libm) \
    -Wl,-rpath,"$(pkg-config --variable=libdir ravo_libm)" -lm -o "$2"
  env -u LD_LIBRARY_PATH "$2" >/dev/null
  unset PKG_CONFIG_PATH
}
consume_with_pkg_config "$prefix" "$work/pc_consumer"
[[ $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --static --libs ravo_libm) == *-lm* ]] || fail "no Libs.private: -lm"
cmake -S tests/consumer -B "$work/cmake-consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-consumer" >/dev/null
for program in consumer_c consumer_cpp consumer_cpp_static; do "$work/cmake-consumer/$program" >/dev/null; done
# The installed tree moved elsewhere: the .pc file follows it.
cp -a "$prefix" "$work/moved"
consume_with_pkg_config "$work/moved" "$work/pc_consumer_moved"
[[ $(PKG_CONFIG_PATH=$work/moved/lib/pkgconfig pkg-config --cflags ravo_libm) == "-I$work/moved/"* ]] ||
  fail ".pc file not relocatable"

step "1b. install over an older install, make uninstall, a prefix without write access"
find "$prefix" -type f -not -path "*/__pycache__/*" | sort >"$work/files-first"
# What an older version left: a library of another version listed in its
# list of installed files, and the module as the one file it used to be.
touch "$prefix/lib/libravo_libm.so.0.9.0" "$prefix/$pyprefix/ravo_libm.cpython-311-x86_64-linux-gnu.so"
echo lib/libravo_libm.so.0.9.0 >>"$prefix/share/ravo_libm/installed-files.txt"
make install PREFIX="$prefix" >/dev/null
find "$prefix" -type f | sort | diff "$work/files-first" - || fail "install over an older one left other files"
make uninstall PREFIX="$prefix" >/dev/null
[[ -z $(find "$prefix" -type f) ]] || fail "make uninstall left $(find "$prefix" -type f | head -3)"
if [[ $(id -u) -eq 0 ]]; then
  # Another user, whose clone this is, but who cannot write to the prefix.
  mkdir "$work/readonly" && chmod 755 "$work" "$work/readonly" && chown -R 65534:65534 "$src"
  if setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent \
       make -C "$src" install PREFIX="$work/readonly" >"$work/readonly.log" 2>&1; then
    fail "make install into a prefix without write access succeeded"
  fi
  grep -q "Permission denied" "$work/readonly.log" || { cat "$work/readonly.log"; fail "no system message"; }
  [[ -z $(ls -A "$work/readonly") ]] || fail "make install wrote into the read-only prefix"
  chown -R 0:0 "$src"
fi

step "2. pip install --no-build-isolation . into a venv"
python3 -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install -q --no-build-isolation . >"$work/pip.log" 2>&1 || { cat "$work/pip.log"; fail "pip install"; }
cd "$work"
"$work/venv/bin/python" - "$version" "$work/venv" <<'EOF'
import importlib.metadata, sys
import ravo_libm
version, venv = sys.argv[1:]
assert ravo_libm.__file__.startswith(venv), ravo_libm.__file__
assert ravo_libm.__version__ == importlib.metadata.version("ravo_libm") == version, ravo_libm.__version__
EOF
# The stubs against the module (mypy's stubtest), where mypy is installed.
if "$work/venv/bin/python" -c "import mypy.stubtest" 2>/dev/null; then
  "$work/venv/bin/python" -m mypy.stubtest ravo_libm >"$work/stubtest.log" 2>&1 ||
    { cat "$work/stubtest.log"; fail "stubs disagree with the module"; }
fi
# The tests from the venv, not the source tree; ctypes reaches the library
# make install built from the same sources.
make -C "$src" install PREFIX="$prefix" >/dev/null
RAVO_LIBM_SHARED=$prefix/lib/libravo_libm.so "$work/venv/bin/python" -m pytest -q -p no:cacheprovider \
  "$src/tests/python" 2>&1 | tail -1
"$work/venv/bin/pip" uninstall -q -y ravo_libm
leftover=$(find "$work/venv/lib" -path "*ravo_libm*")
[[ -z $leftover ]] || fail "pip uninstall left $leftover"
cd "$src"

step "3. python3 -m build --wheel --no-isolation, installed with --no-index"
# A file an earlier build left where setuptools gathers the package: neither
# the wheel nor the Debian packages may carry it.
stray=$(echo build/python-package/lib.*/ravo_libm)
[[ -d $stray ]] || fail "pip built elsewhere than build/python-package"
touch "$stray/stray.py"
python3 -m build --wheel --no-isolation >"$work/wheel.log" 2>&1 || { tail -20 "$work/wheel.log"; fail "wheel"; }
wheel=$(echo dist/ravo_libm-"$version"-*.whl)
[[ -f $wheel ]] || fail "no wheel for $version in dist/"
python3 -m zipfile -l "$wheel" | grep -q stray && fail "the wheel carries a file an earlier build left"
python3 -m venv --system-site-packages "$work/venv-wheel"
"$work/venv-wheel/bin/pip" install -q --no-index "$wheel"
(cd "$work" && "$work/venv-wheel/bin/python" -c "
import importlib.metadata, ravo_libm
assert ravo_libm.__version__ == importlib.metadata.version('ravo_libm') == '$version'
assert ravo_libm.cr_csqrt(-4) == 2j")

step "4. dpkg-buildpackage -b -us -uc, no network, no home folder, from a dirty tree"
# build/ as the steps above left it, from make install, pip and the wheel.
offline=()
[[ $(id -u) -eq 0 ]] && unshare --net true 2>/dev/null && offline=(unshare --net)
"${offline[@]}" env HOME=/nonexistent dpkg-buildpackage -b -us -uc >"$work/dpkg-buildpackage.log" 2>&1 ||
  { tail -30 "$work/dpkg-buildpackage.log"; fail "dpkg-buildpackage"; }
arch=$(dpkg --print-architecture) multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
echo "lintian:"
lintian --fail-on error --info --pedantic "$work/ravo-libm_${version}_$arch.changes" 2>&1 |
  { grep -v "running with root privileges" || true; } | sed 's/^/  /'
echo "  (end of lintian's output)"
root=$work/root
for package in libravo-libm1 libravo-libm-dev ravo-libm-tools python3-ravo-libm; do
  deb=$work/${package}_${version}_$arch.deb
  dpkg-deb -x "$deb" "$root"
  dpkg-deb -c "$deb" | grep -q stray && fail "$package carries a stray file from build/"
done
libdir=$root/usr/lib/$multiarch
# pkg-config through the extracted root, as a sysroot.
PKG_CONFIG_LIBDIR=$libdir/pkgconfig PKG_CONFIG_SYSROOT_DIR=$root \
  cc -std=c11 tests/consumer/consumer.c \
  $(PKG_CONFIG_LIBDIR=$libdir/pkgconfig PKG_CONFIG_SYSROOT_DIR=$root pkg-config --cflags --libs ravo_libm) \
  -lm -o "$work/deb_consumer"
LD_LIBRARY_PATH=$libdir "$work/deb_consumer" >/dev/null
[[ $(LD_LIBRARY_PATH=$libdir "$root/usr/bin/csqrt" --version) == "csqrt (ravo_libm) $version" ]] || fail "packaged csqrt"
(cd "$work" && PYTHONPATH=$root/usr/lib/python3/dist-packages python3 -c "
import importlib.metadata, ravo_libm
assert ravo_libm.__file__.startswith('$root'), ravo_libm.__file__
assert ravo_libm.__version__ == importlib.metadata.version('ravo_libm') == '$version'
assert ravo_libm.cr_csqrt(-4) == 2j")
step "done"
rm -rf "$work"
echo "packaging: 4 passed, 0 failed"
