#!/usr/bin/env bash
# Runs the csqrt tool on an ordinary, an axis, a special, a subnormal and a
# signalling-NaN argument.
set -euo pipefail
csqrt=$1
run() { echo "\$ csqrt $*"; "$csqrt" "$@"; echo; }
run 3 4                     # ordinary: exactly 2 + 1i, no flags
run 2 -3                    # ordinary, inexact
run -4 -0                   # negative real axis: +0 - 2i
run -inf nan                # special: NaN + inf i
run -0.25 -0x1p-1074        # subnormal real part: underflow
run --bits 0x7ff0000000000001 0x3ff0000000000000   # signalling NaN: invalid
run --round up 1 1          # another rounding mode
printf '0 8\n1e300 5e-324\n' | { echo "\$ printf '0 8\\n1e300 5e-324\\n' | csqrt"; "$csqrt"; }
