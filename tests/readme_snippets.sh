#!/usr/bin/env bash
# The C and C++ snippets of the README and of the pages under docs/ beside
# it, taken from the files themselves: each builds with GCC and with Clang,
# warnings as errors, against the built library, and prints what its
# "prints:" comment says.
set -euo pipefail
readme=$1 include=$2 libdir=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
# Splits the fenced blocks into NAME-N.c / NAME-N.cpp, NAME the page's.
for page in "$readme" "$(dirname "$readme")"/docs/*.md; do
  awk -v dir="$work" -v name="$(basename "$page" .md)" '
    /^```(c|cpp)$/ { lang = substr($0, 4); n++; file = dir "/" name "-" n "." lang; next }
    /^```/ { file = ""; next }
    file != "" { print > file }
  ' "$page"
done
count=0 failures=0
for src in "$work"/*.c "$work"/*.cpp; do
  [[ -e $src ]] || continue
  want=$(sed -n 's/.*prints: \(.*\) \*\/$/\1/p; s/.*\/\/ prints: \(.*\)$/\1/p' "$src")
  [[ -n "$want" ]] || { echo "FAIL: $(basename "$src") has no 'prints:' comment"; failures=$((failures + 1)); }
  case $src in
    *.c) compilers=("gcc -std=c11" "clang -std=c11") ;;
    *.cpp) compilers=("g++ -std=c++17" "clang++ -std=c++17") ;;
  esac
  for cc in "${compilers[@]}"; do
    exe=$work/$(basename "$src").${cc%% *}
    if ! $cc -Wall -Wextra -Wpedantic -Werror -I"$include" "$src" -L"$libdir" -lravo_libm \
         -Wl,-rpath,"$libdir" -lm -o "$exe"; then
      echo "FAIL: $(basename "$src") does not build with $cc"; failures=$((failures + 1)); continue
    fi
    got=$("$exe") || { echo "FAIL: $(basename "$src") ($cc) exited non-zero"; failures=$((failures + 1)); }
    [[ "$got" == "$want" ]] || { echo "FAIL: $(basename "$src") ($cc) printed '$got', not '$want'"; failures=$((failures + 1)); }
    count=$((count + 1))
  done
done
# Two in the README and three in docs/using.md, each with two compilers.
[[ $count -ge 10 ]] || { echo "FAIL: only $count snippet builds found"; failures=$((failures + 1)); }
[[ $failures -eq 0 ]] || exit 1
echo "$count snippet builds print what they say"
