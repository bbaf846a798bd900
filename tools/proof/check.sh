#!/usr/bin/env bash
# Runs the Gappa proofs: the extended-precision kernel's error bounds, and
# that no intermediate of the binary64 kernel underflows, and the binary32
# root's kernel bound (each of those
# scripts once per rounding mode, its @rnd line rewritten), one line each. Exits non-zero if gappa is missing or any proof fails.
# A proof only counts when gappa succeeds and prints nothing: the scripts
# have no open goals, so any output is an unproved goal or a warning (such
# as a rewriting assumed without its side conditions).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if ! command -v gappa >/dev/null 2>&1; then
  echo "check.sh: gappa not found; install gappa (Debian: apt-get install -y gappa)" >&2
  exit 2
fi

scripts=(
  kernel_bound_nearest.g
  kernel_bound_up.g
  kernel_bound_down.g
  kernel_bound_toward_zero.g
)
for mode in ne dn up zr; do
  scripts+=("binary64_no_underflow_unscaled.g:$mode" "binary64_no_underflow_scaled.g:$mode"
    "binary32_kernel_bound.g:$mode")
done

failed=0
for script in "${scripts[@]}"; do
  file=${script%%:*} mode=${script#*:}
  path="$here/$file"
  if [[ ! -f "$path" ]]; then
    echo "FAIL $script (missing)"
    failed=1
    continue
  fi
  start=$(date +%s%N)
  status=0
  if [[ $mode == "$script" ]]; then
    output="$(gappa "$path" 2>&1)" || status=$?
  else
    output="$(sed "s/^@rnd = float<ieee_64, ne>;/@rnd = float<ieee_64, $mode>;/" "$path" | gappa 2>&1)" || status=$?
  fi
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if [[ $status -eq 0 && -z "$output" ]]; then
    echo "ok   $script (${ms} ms)"
  else
    echo "FAIL $script (gappa exit $status, ${ms} ms)"
    [[ -n "$output" ]] && printf '%s\n' "$output" | sed 's/^/     /'
    failed=1
  fi
done

exit "$failed"
