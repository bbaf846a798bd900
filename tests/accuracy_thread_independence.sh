#!/usr/bin/env bash
# The accuracy report and both CSVs must not depend on how many threads made
# them; --csv writes one row per mode, class, implementation and part; and a
# different seed draws a different sample.
set -euo pipefail
# A cross build's tool runs under the emulator given in RAVO_TARGET_EMULATOR.
read -ra tool <<<"${RAVO_TARGET_EMULATOR:-}"
tool+=("$1")
work=$2
mkdir -p "$work"
run() {  # name, seed, threads
  "${tool[@]}" --samples 5000 --seed "$2" --round all --threads "$3" --csv "$work/$1.csv" \
    --plane-csv "$work/$1-plane.csv" >"$work/$1.txt"
}
fail() { echo "$1"; exit 1; }
run one 9 1
run three 9 3
run other 10 2
for f in .txt .csv -plane.csv; do
  cmp -s "$work/one$f" "$work/three$f" || fail "one thread and three threads differ in the $f output"
done
impls=$(head -1 "$work/one-plane.csv" | tr ',' '\n' | grep -c '_re_max_ulp$')
rows=$(($(wc -l <"$work/one.csv") - 1))
[[ $rows -eq $((4 * 6 * impls * 2)) ]] || fail "expected $((4 * 6 * impls * 2)) csv rows, got $rows"
cmp -s "$work/one.csv" "$work/other.csv" && fail "seeds 9 and 10 gave the same statistics"
echo "report independent of the thread count"
