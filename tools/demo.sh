#!/usr/bin/env bash
# Shows both functions through the csqrt tool: an exact root, the double
# rounding that cr_csqrt_scalar corrects, a directed mode in the third
# quadrant and a fixed direction, special values and a signalling NaN, and a stream of pairs.
set -euo pipefail
csqrt=$1
run() { echo "\$ csqrt $*"; "$csqrt" "$@"; echo; }
note() { echo "# $*"; }
note "An exact root: 2 + 1i, no flags raised."
run 3 4
note "x = DBL_MAX, y = 3.9e-31: csqrt_scalar rounds twice (extended, then binary64)"
note "and gets re = 2^512; cr_csqrt_scalar gives the correctly rounded 0x5fefffffffffffff."
run --bits 0x7fefffffffffffff 0x399fb671abf55062
run --cr --bits 0x7fefffffffffffff 0x399fb671abf55062
note "Rounding upward in the third quadrant: csqrt_scalar rounds the magnitudes, so both"
note "parts land just below the exact root; cr_csqrt_scalar rounds each part upward."
run --round up -3 -5
run --cr --round up -3 -5
note "A fixed direction whatever the thread's mode (cr_csqrt_ru): the same upward root"
note "from a thread rounding to nearest."
run --entry ru -3 -5
note "Special values (ISO C Annex G): csqrt(-inf + NaN i) = NaN + inf i, no flag;"
note "a signalling NaN comes back quiet, with invalid raised."
run -inf nan
run snan 1
note "One pair per line on standard input; a # starts a comment."
printf '0 8   # 2 + 2i\n-0.25 -0x1p-1074   # a subnormal part: underflow\n' |
  { echo "\$ printf '0 8   # 2 + 2i\\n-0.25 -0x1p-1074   # a subnormal part: underflow\\n' | csqrt"; "$csqrt"; }
