#!/usr/bin/env bash
# The accuracy report must not depend on how many threads produced it, and
# --csv must write one row per mode, class, implementation and part.
set -euo pipefail
tool=$1 work=$2
mkdir -p "$work"
"$tool" --samples 5000 --seed 9 --round all --threads 1 --csv "$work/one.csv" >"$work/one.txt"
"$tool" --samples 5000 --seed 9 --round all --threads 3 --csv "$work/three.csv" >"$work/three.txt"
diff "$work/one.txt" "$work/three.txt"
diff "$work/one.csv" "$work/three.csv"
rows=$(($(wc -l <"$work/one.csv") - 1))
[[ $rows -eq $((4 * 6 * 2 * 2)) ]] || { echo "expected 96 csv rows, got $rows"; exit 1; }
# A different seed must give a different sample.
"$tool" --samples 5000 --seed 10 --round all --threads 2 >"$work/other.txt"
! diff -q "$work/one.txt" "$work/other.txt" >/dev/null
echo "report independent of the thread count"
