#!/usr/bin/env bash
# Builds the library cannot produce: each option or target below compiles to
# wrong results, so compiling a library source must stop at its #error, and
# configuring with fast-math must stop in CMake. The control row (the
# library's own options) must compile, so a broken command cannot pass.
# Arguments: C++ compiler, source folder, scratch folder.
set -euo pipefail
cxx=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
base=(-std=c++20 -fsyntax-only -fno-math-errno -frounding-math)
# The compiler's target's own csqrt_scalar source.
if [[ $("$cxx" -dumpmachine) == x86_64* ]]; then
  source=$src/libdev/ravo/ravo_libmc_csqrt.cpp
else
  source=$src/libdev/ravo/ravo_libmc_csqrt_binary64.cpp
fi
failed=0

expect() {  # expected outcome (ok|error), message fragment, options...
  local want=$1 fragment=$2; shift 2
  if "${compiler:-$cxx}" "${base[@]}" "$@" "$source" >"$work/out" 2>&1; then got=ok; else got=error; fi
  if [[ $got != "$want" ]] || { [[ $want == error ]] && ! grep -q -- "$fragment" "$work/out"; }; then
    echo "FAIL: $* gave $got, want $want ($fragment)"; head -5 "$work/out"; failed=1
  else
    echo "ok: ${*:-(library options)} -> $want"
  fi
}

expect ok ""
# Options of x86 compilers only, like -mfpmath=387 below.
for option in -mlong-double-64 -mlong-double-128; do
  if "$cxx" $option -x c++ -fsyntax-only /dev/null 2>/dev/null; then
    expect error "x87 80-bit" $option
  fi
done
expect error "fast-math" -ffast-math
expect error "fast-math" -ffinite-math-only
expect error "no-math-errno" -fmath-errno
if "$cxx" -mfpmath=387 -x c++ -fsyntax-only /dev/null 2>/dev/null; then
  expect error "FLT_EVAL_METHOD" -mfpmath=387
fi

# Other targets stop at the guard; aarch64 passes, with its binary64-only
# sources, when its cross compiler is installed.
if "$cxx" -m32 -x c++ -E /dev/null >/dev/null 2>&1; then
  expect error "written for x86-64" -m32
fi
if [[ $("$cxx" -dumpmachine) == x86_64* ]] && command -v aarch64-linux-gnu-g++ >/dev/null; then
  compiler=aarch64-linux-gnu-g++ source=$src/libdev/ravo/ravo_libmc_csqrt_binary64.cpp expect ok ""
  compiler=aarch64-linux-gnu-g++ source=$src/libdev/ravo/ravo_libmc_csqrt_binary64.cpp expect error "fast-math" -ffast-math
fi

if cmake -S "$src" -B "$work/fast-math" -DCMAKE_CXX_FLAGS=-Ofast -DRAVO_BUILD_TESTS=OFF -DRAVO_BUILD_TOOLS=OFF \
     >"$work/out" 2>&1 || ! grep -q "cannot be built with -Ofast" "$work/out"; then
  echo "FAIL: configuring with -Ofast did not stop with the message"; failed=1
else
  echo "ok: configuring with -Ofast stops"
fi
exit $failed
