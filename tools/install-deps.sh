#!/usr/bin/env bash
# Installs the Debian packages the build, tests, tools and benchmarks need,
# only those that are missing. Run as root (or with sudo available).
#   build: cmake ninja-build g++ clang pkgconf binutils
#   tests and tools: libgtest-dev libmpfr-dev libmpc-dev (MPC, the reference),
#     libcli11-dev (the tools' option parser),
#     libclang-rt-14-dev (sanitizers, fuzzer), gappa (proofs of the kernel's
#     error bound), python3-matplotlib (accuracy picture), man-db (renders the
#     manual pages)
#   Python module and its tests: python3-dev python3-numpy python3-mpmath
#     python3-hypothesis python3-pytest, python3-dask python3-distributed
#     (the fixed-direction ufuncs in dask's threads and worker processes)
#   benchmarks: libbenchmark-dev
#   packaging (tools/packaging-check.sh): python3-venv python3-setuptools
#     python3-wheel python3-build (pip install . and the wheel),
#     python3-mypy (stubtest checks the stubs), debhelper dh-python
#     dpkg-dev fakeroot lintian (the Debian packages), git
#   CI: clang-format (the repository's .clang-format checked)
# With --aarch64, also what cross-building for 64-bit Arm and running the
# tests under emulation need (tools/cross/aarch64-check.sh):
#   g++-aarch64-linux-gnu qemu-user, and the target's libraries from Debian's
#   arm64 architecture, added to dpkg when missing: libgtest-dev:arm64
#   libmpfr-dev:arm64 libmpc-dev:arm64
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev pkgconf libgtest-dev
          libbenchmark-dev libmpfr-dev libmpc-dev libcli11-dev binutils gappa python3-matplotlib man-db
          python3-dev python3-numpy python3-mpmath python3-hypothesis python3-pytest python3-dask python3-distributed
          python3-venv python3-setuptools python3-wheel python3-build python3-mypy
          debhelper dh-python dpkg-dev fakeroot lintian git clang-format)
if [[ ${1:-} == --aarch64 ]]; then
  packages+=(g++-aarch64-linux-gnu qemu-user libgtest-dev:arm64 libmpfr-dev:arm64 libmpc-dev:arm64)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo=sudo
if [[ " ${missing[*]}" == *:arm64* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $sudo dpkg --add-architecture arm64
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
