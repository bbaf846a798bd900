#!/usr/bin/env bash
# Builds the library's sources, a C caller and a C++ caller with -flto into
# one program and runs it. With GCC the link fails on any type mismatch
# between the languages' declarations of a symbol (-Wlto-type-mismatch made
# an error). Arguments: C compiler, C++ compiler, source folder, scratch
# folder, the library's sources (colon-separated, absolute or relative to
# libdev/, each optionally followed by @-separated options of its own), then
# its floating-point options.
set -euo pipefail
cc=$1 cxx=$2 src=$3 work=$4
IFS=: read -r -a sources <<<"$5"
shift 5
fp_flags=("$@")
rm -rf "$work" && mkdir -p "$work"
common=(-O2 -flto -Wall -Wextra -Werror -I"$src/libdev/ravo")
objects=()
for entry in "${sources[@]}"; do
  # file@option@option: a file's own options (its instruction set).
  IFS=@ read -r -a parts <<<"$entry"
  f=${parts[0]}
  [[ $f == /* ]] || f=$src/libdev/$f
  "$cxx" -std=c++20 "${common[@]}" "${fp_flags[@]}" "${parts[@]:1}" -c "$f" -o "$work/$(basename "$f").o"
  objects+=("$work/$(basename "$f").o")
done
"$cc" -std=c11 "${common[@]}" -c "$src/tests/lto/caller.c" -o "$work/caller_c.o"
"$cxx" -std=c++17 "${common[@]}" -c "$src/tests/lto/caller.cpp" -o "$work/caller_cpp.o"
lto_warnings=()
[[ $("$cxx" --version) == *clang* ]] || lto_warnings=(-Werror=lto-type-mismatch -Werror=odr)
"$cxx" "${common[@]}" "${lto_warnings[@]}" "$work/caller_c.o" "$work/caller_cpp.o" "${objects[@]}" \
  -o "$work/program" -lm 2>&1 | tee "$work/link.log"
[[ ${PIPESTATUS[0]} -eq 0 ]] || exit 1
if grep -q "warning" "$work/link.log"; then echo "FAIL: the link warned"; exit 1; fi
# A cross build's program runs under the emulator given in RAVO_TARGET_EMULATOR.
read -ra emulator <<<"${RAVO_TARGET_EMULATOR:-}"
"${emulator[@]}" "$work/program"
