#!/usr/bin/env bash
# Installs the Debian packages the build, tests, tools and benchmarks need,
# only those that are missing. Run as root (or with sudo available).
#   build: cmake ninja-build g++ clang pkgconf binutils
#   tests and tools: libgtest-dev libmpfr-dev libmpc-dev (MPC, the reference),
#     libclang-rt-14-dev (sanitizers, fuzzer), gappa (proofs of the kernel's
#     error bound), python3-matplotlib (accuracy picture), man-db (renders the
#     manual pages)
#   benchmarks: libbenchmark-dev
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev pkgconf libgtest-dev
          libbenchmark-dev libmpfr-dev libmpc-dev binutils gappa python3-matplotlib man-db)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
