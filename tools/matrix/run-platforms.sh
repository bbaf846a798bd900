#!/usr/bin/env bash
# One correctly rounded result on every path and target: builds the x86-64
# default (cr_csqrt_scalar's path chosen by the CPU, then the x87 path
# forced), its binary64-only path on x86-64 alone with baseline SSE2
# (exact products from integers) and with -march=x86-64-v3 (FMA), and the
# aarch64 build (cross-compiled, run under
# qemu-user); runs `csqrt-digest --cr` in each (random pairs, the special
# grid and the hard corpus, all four modes, bits and flags) and fails
# unless every build prints the same digest; likewise `csqrt-digest
# --float` (cr_csqrtf_scalar and cr_csqrtf_batch), one binary32 digest, on
# every path and, in the default build, every forced array target too. The binary64-only builds on
# x86-64 also run the correctly rounded tests against MPC.
#   tools/matrix/run-platforms.sh [output folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build-platforms}
jobs=${JOBS:-$(nproc)}
mkdir -p "$out"

configure() {  # folder, then cmake options
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVO_BUILD_BENCHMARKS=OFF -DRAVO_BUILD_FUZZ=OFF "$@" \
    >/dev/null
}

declare -A digests digests32
record() {  # name, digest command...; the scalar function's digest, then the array function's, binary64 and binary32
  local name=$1
  shift
  local result
  result=$("$@" --cr | awk '/^digest/ {print $2}')
  digests[$name]=$result
  printf '%-32s %s\n' "$name" "$result"
  result=$("$@" --batch | awk '/^digest/ {print $2}')
  digests["$name, batch"]=$result
  printf '%-32s %s\n' "$name, batch" "$result"
  result=$("$@" --float | awk '/^digest/ {print $2}')
  digests32["$name, float"]=$result
  printf '%-32s %s\n' "$name, float" "$result"
  result=$("$@" --float --batch | awk '/^digest/ {print $2}')
  digests32["$name, float batch"]=$result
  printf '%-32s %s\n' "$name, float batch" "$result"
}

configure "$out/x87"
cmake --build "$out/x87" -j "$jobs" --target csqrt-digest >/dev/null
# The default build holds the x87 path and, for CPUs with FMA, the
# binary64-only one built with FMA (with its AVX-512 common case): the path
# the CPU chooses, then x87 and binary64-fma forced.
record "default (CPU's path)" "$out/x87/tools/csqrt-digest"
record "x87" env RAVO_CR_CSQRT_PATH=x87 "$out/x87/tools/csqrt-digest"
record "binary64-fma" env RAVO_CR_CSQRT_PATH=binary64-fma "$out/x87/tools/csqrt-digest"
record "default, batch forced to AVX2" env RAVO_CR_BATCH_TARGET=avx2 "$out/x87/tools/csqrt-digest"
record "default, batch forced to scalar" env RAVO_CR_BATCH_TARGET=scalar "$out/x87/tools/csqrt-digest"

# The binary64-only path on x86-64: the correctly rounded tables, the
# environment table, the accuracy check and the kernel's bound, then the
# digest.
x86_binary64() {  # name, compiler flags
  local name=$1 flags=$2 dir=$out/$1
  configure "$dir" -DRAVO_CR_PORTABLE=ON -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags"
  cmake --build "$dir" -j "$jobs" >/dev/null
  (cd "$dir" && ctest -j "$jobs" --output-on-failure -R 'CrCsqrt|Environment|accuracy_against_mpc|binary64_kernel_bound' |
    tail -n 3)
  record "$name" "$dir/tools/csqrt-digest"
}
x86_binary64 binary64-sse2 ""
if grep -qw fma /proc/cpuinfo && grep -qw avx2 /proc/cpuinfo; then
  x86_binary64 binary64-x86-64-v3 "-march=x86-64-v3"
else
  echo "binary64-x86-64-v3       skipped: this CPU has no FMA and AVX2"
fi

# aarch64: the cross build's own suite runs in tools/cross/aarch64-check.sh;
# here only the digest, under the emulator.
"$root/tools/install-deps.sh" --aarch64
configure "$out/aarch64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/aarch64-linux-gnu.cmake" -DRAVO_BUILD_TESTS=OFF
cmake --build "$out/aarch64" -j "$jobs" --target csqrt-digest >/dev/null
# The emulator as the toolchain file sets it: the arm64 C library's own
# loader when installed, else the cross toolchain's under its prefix.
emulator=(qemu-aarch64)
[[ -e /lib/ld-linux-aarch64.so.1 ]] || emulator+=(-L /usr/aarch64-linux-gnu)
record "aarch64 (qemu)" "${emulator[@]}" "$out/aarch64/tools/csqrt-digest"

distinct=$(printf '%s\n' "${digests[@]}" | sort -u | wc -l)
if [[ $distinct -ne 1 ]]; then
  echo "FAIL: the paths disagree ($distinct distinct digests)"
  exit 1
fi
distinct=$(printf '%s\n' "${digests32[@]}" | sort -u | wc -l)
if [[ $distinct -ne 1 ]]; then
  echo "FAIL: the paths disagree on binary32 ($distinct distinct digests)"
  exit 1
fi
echo "all ${#digests[@]} builds agree, and all ${#digests32[@]} binary32 ones"
