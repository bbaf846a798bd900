#!/usr/bin/env bash
# Cross-builds the library, the tools and the test suite for 64-bit Arm
# Linux (Release, benchmarks and fuzzer off) and runs the suite under
# qemu-user: ctest puts the emulator of the toolchain file in front of every
# test program. Installs the missing packages first.
#   tools/cross/aarch64-check.sh [build folder] [ctest options...]
# The build folder defaults to build-aarch64; JOBS (default 2) sets the
# parallel compile and test jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-aarch64}
shift $(($# > 0 ? 1 : 0))
jobs=${JOBS:-2}

"$root/tools/install-deps.sh" --aarch64
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/aarch64-linux-gnu.cmake" \
  -DRAVO_BUILD_TESTS=ON -DRAVO_BUILD_TOOLS=ON -DRAVO_BUILD_BENCHMARKS=OFF -DRAVO_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs" "$@"
