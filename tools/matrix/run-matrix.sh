#!/usr/bin/env bash
# Builds the library with GCC and Clang at -O0, -O2, -O3 and -O2 -march=native,
# each in its own folder, runs csqrt-digest over the same corpus in every
# build, for csqrt_scalar, for cr_csqrt_scalar and for cr_csqrt_batch (whose
# digest is cr_csqrt_scalar's), for cr_csqrtf_scalar and cr_csqrtf_batch
# (one binary32 digest), and fails unless all builds print the same digests.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build-matrix}
pairs=${MATRIX_RANDOM_PAIRS:-1000000}
mkdir -p "$out"

declare -A digests
for compiler in gcc clang; do
  [[ $compiler == gcc ]] && cc=gcc cxx=g++ || { cc=clang; cxx=clang++; }
  for opt in "-O0" "-O2" "-O3" "-O2 -march=native"; do
    name="$compiler${opt// /}"
    dir="$out/$name"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=None \
      -DCMAKE_C_COMPILER=$cc -DCMAKE_CXX_COMPILER=$cxx \
      -DCMAKE_C_FLAGS="$opt" -DCMAKE_CXX_FLAGS="$opt" \
      -DRAVO_BUILD_TESTS=OFF -DRAVO_BUILD_TOOLS=ON >/dev/null
    cmake --build "$dir" --target csqrt-digest >/dev/null
    result=$("$dir/tools/csqrt-digest" "$pairs")
    result_cr=$("$dir/tools/csqrt-digest" --cr "$pairs")
    result_batch=$("$dir/tools/csqrt-digest" --batch "$pairs")
    digests[$name]="$(awk '/^digest/ {print $2}' <<<"$result") $(awk '/^digest/ {print $2}' <<<"$result_cr")"
    digests[$name]+=" $(awk '/^digest/ {print $2}' <<<"$result_batch")"
    for float_run in --float "--float --batch"; do
      # shellcheck disable=SC2086 # the options are two words
      digests[$name]+=" $("$dir/tools/csqrt-digest" $float_run "$pairs" | awk '/^digest/ {print $2}')"
    done
    printf '%-22s %s\n' "$name" "${digests[$name]}"
  done
done

distinct=$(printf '%s\n' "${digests[@]}" | sort -u | wc -l)
read -r _ cr batch float float_batch <<<"${digests[gcc-O2]}"
if [[ $cr != "$batch" ]]; then
  echo "FAIL: cr_csqrt_batch's digest $batch is not cr_csqrt_scalar's $cr"
  exit 1
fi
if [[ $float != "$float_batch" ]]; then
  echo "FAIL: cr_csqrtf_batch's digest $float_batch is not cr_csqrtf_scalar's $float"
  exit 1
fi
if [[ $distinct -ne 1 ]]; then
  echo "FAIL: the builds disagree ($distinct distinct digests)"
  exit 1
fi
echo "all $((${#digests[@]})) builds agree"
