#!/usr/bin/env bash
# The csqrt tool: its output for known arguments, and one-line errors with a
# non-zero exit (never a crash) for bad input. Then the option handling every
# tool shares, for the tools given after csqrt.
#   cli_test.sh CSQRT [CSQRT-DIGEST CSQRT-ACCURACY BINARY64-KERNEL-BOUND]
set -u
# The tool as a command: a cross build's runs under the emulator given in
# RAVO_TARGET_EMULATOR (words, e.g. "qemu-aarch64 -L /usr/aarch64-linux-gnu").
read -ra emulator <<<"${RAVO_TARGET_EMULATOR:-}"
csqrt=("${emulator[@]}" "$1")
shift
failures=0

expect_output() {  # expected-substring, then the command's arguments; stdin from $STDIN
  local want=$1; shift
  local got
  got=$(printf '%b' "${STDIN:-}" | "${csqrt[@]}" "$@" 2>&1)
  if [[ "$got" != *"$want"* ]]; then
    echo "FAIL: csqrt $*: wanted '$want' in:"; echo "$got"; failures=$((failures + 1))
  fi
}

expect_error() {  # exit status, message substring, then arguments
  local status=$1 want=$2; shift 2
  local err rc
  err=$(printf '%b' "${STDIN:-}" | "${csqrt[@]}" "$@" 2>&1 >/dev/null); rc=$?
  if [[ $rc -ne $status || "$err" != *"$want"* || $(wc -l <<<"$err") -ne 1 ]]; then
    echo "FAIL: csqrt $*: wanted exit $status and one line with '$want', got exit $rc: $err"
    failures=$((failures + 1))
  fi
}

expect_output "decimal  2 +1i" 3 4
expect_output "bits     0x4000000000000000 0x3ff0000000000000" 3 4
expect_output "flags    none" 3 4
expect_output "hex      0x1p+1 +0x1p+0i" 3 4
expect_output "decimal  1.6741492280355401 -0.8959774761298381i" 2 -3
# The decimal line is the shortest round trip, as the echo line is.
expect_output "decimal  1e+150 +0i" 1e300 0
expect_output "flags    inexact" 2 -3
expect_output "decimal  0 +2i" -4 0
expect_output "decimal  0 -inf" -inf -0
expect_output "bits     0x7ff8000000000001 0x7ff8000000000001" --bits 0x7ff0000000000001 0x3ff0000000000000
expect_output "flags    invalid" --bits 0x7ff0000000000001 0x3ff0000000000000
expect_output "flags    invalid" snan 1
expect_output "bits     0x7ff0000000000000 0xfff0000000000000" nan -inf
expect_output "flags    inexact underflow" -0.25 -0x1p-1074
expect_output "bits     0x0000000000000001 0xbfe0000000000000" -0.25 -4.9406564584124654e-324
# sqrt(2) rounds up in nearest, down toward zero.
expect_output "bits     0x3ff6a09e667f3bcd 0x0000000000000000" 2 0
expect_output "bits     0x3ff6a09e667f3bcc 0x0000000000000000" --round zero 2 0
expect_output "bits     0x3ff6a09e667f3bcc 0x0000000000000000" --round=down 2 0
expect_output "bits     0x3ff6a09e667f3bcc 0x0000000000000000" --round Zero 2 0
# --cr: the third quadrant rounded as signed values, an exact root raising nothing.
expect_output "bits     0x3ff3092a773ccfbd 0xc000cf78272ed4f7" --cr --round down -3 -5
expect_output "flags    none" --cr 0x1.0000008p+0 0x1.0000004p-25
STDIN='3 4\n\n# comment\n-3 -4 # third quadrant\n' expect_output "decimal  1 -2i"
STDIN='3 4#\n' expect_output "csqrt(3, 4)"
STDIN='0x7ff0000000000001 0x3ff0000000000000\n' expect_output "flags    invalid" --bits

expect_error 2 "bad number 'abc'" abc 4
expect_error 2 "bad number '4x'" 3 4x
expect_error 2 "number '1e400' is out of binary64's range" 1e400 1
expect_error 2 "number '-0x1p1024' is out of binary64's range" 3 -0x1p1024
expect_error 2 "missing imaginary part after '3'" 3
expect_error 2 "unexpected operand '5'" 3 4 5
expect_error 2 "unknown option '--frobnicate'" --frobnicate 3 4
expect_error 2 "unknown rounding mode 'sideways'" --round sideways 3 4
expect_error 2 "missing mode after '--round'" --round
# --entry: a fixed direction whatever --round says (the third quadrant's
# downward root above, from a thread in round to nearest and upward).
expect_output "bits     0x3ff3092a773ccfbd 0xc000cf78272ed4f7" --entry rd -3 -5
expect_output "bits     0x3ff3092a773ccfbd 0xc000cf78272ed4f7" --entry=rd --round up -3 -5
expect_output "cr_csqrt_rd(-3, -5)" --entry rd -3 -5
expect_error 2 "unknown entry 'down': rn, rd, ru or rz" --entry down 1 2
expect_error 2 "missing direction after '--entry'" --entry
# --float: binary32 operands and the correctly rounded binary32 root, its
# bits as 32-bit patterns (the inexact rows as MPC rounds them at 24 bits).
expect_output "cr_csqrtf(3, 4)" --float 3 4
expect_output "bits     0x40000000 0x3f800000" --float 3 4
expect_output "flags    none" --float 3 4
expect_output "bits     0x3fd64a86 0xbf655ec8" --float 2 -3
expect_output "decimal  1.6741493 -0.8959775i" --float 2 -3
expect_output "bits     0x3f984953 0xc0067bc2" --float --entry rd --round up -3 -5
expect_output "cr_csqrtf_rd(-3, -5)" --float --entry rd -3 -5
# Im 2^-141, a subnormal: binary32's underflow, where binary64 has none.
expect_output "flags    inexact underflow" --float 1 0x1p-140
expect_output "bits     0x3f800000 0x00000100" --float 1 0x1p-140
expect_output "bits     0x7fc00001 0x7fc00001" --float --bits 0x7f800001 0x3f800000
STDIN='3 4\n-4 0\n' expect_output "bits     0x00000000 0x40000000" --float
expect_error 2 "number '1e39' is out of binary32's range" --float 1e39 1
expect_error 2 "bad bit pattern '0x1234567890'" --float --bits 0x1234567890 0
expect_error 2 "bad number 'nan(0x400000)': the payload is above 0x3fffff" --float "nan(0x400000)" 1
expect_error 2 "bad bit pattern '0x1234567890abcdef0'" --bits 0x1234567890abcdef0 0
expect_error 2 "bad bit pattern '3.5'" --bits 3.5 0
# A bad line in a stream is reported with its number; the rest is processed.
STDIN='3 4\nfoo 1\n-4 0\n' expect_error 1 "line 2: bad number 'foo'"
STDIN='3 4\nfoo 1\n-4 0\n' expect_output "decimal  0 +2i"
STDIN='1\n' expect_error 1 "line 1: missing imaginary part after '1'"

expect_io_error() {  # message substring, then a shell redirection and arguments, run by eval
  local want=$1; shift
  local err rc
  err=$(eval '"${csqrt[@]}"' "$@" 2>&1 >/dev/null); rc=$?
  [[ $(eval '"${csqrt[@]}"' "$@" 2>&1) == *"$want"* && $rc -eq 1 ]] ||
    { echo "FAIL: csqrt $*: wanted exit 1 and '$want', got exit $rc: $err"; failures=$((failures + 1)); }
}

# Operands: the echo line reads back to the same bits, NaN kind, sign and
# payload shown; case, sign and blanks of the tokens matter.
expect_output "csqrt(1e+300, 0)" 1e300 0
expect_output "csqrt(snan, nan)" snan nan
expect_output "csqrt(-snan, -nan)" -snan -nan
expect_output "csqrt(snan, -inf)" SNAN -inf
expect_output "csqrt(nan(0x123), -snan(0x5))" "nan(0x123)" "-snan(5)"
expect_output "csqrt(5e-324, -0.125)" 4.9406564584124654e-324 -0x1p-3
expect_output "bits     0xfffc000000000000 0xfffc000000000000" -snan 1
expect_output "bits     0x7ffc000000000000 0x7ffc000000000000" SNAN 1
expect_output "csqrt(-0, 1)" --bits 0X8000000000000000 0X3FF0000000000000
expect_output "csqrt(nan(0xabcde), 1)" --bits 0x7FF80000000ABCDE 3ff0000000000000
expect_output "csqrt (ravo_libm) " --version
expect_error 2 "bad number ''" "" 1
expect_error 2 "bad number ' 3'" " 3" 1
expect_error 2 "bad number '1 2'" "1 2"
expect_error 2 "bad number 'snan(0)': a signalling NaN needs a non-zero payload" "snan(0)" 1
expect_error 2 "bad number '-nan(0x8000000000000)': the payload is above 0x7ffffffffffff" 1 "-nan(0x8000000000000)"
expect_output "csqrt(nan, -snan)" "nan()" "-snan()"
expect_output "csqrt(-inf, -snan)" -- -inf -snan
expect_error 2 "bad number '--cr'" -- --cr 1
expect_error 2 "unknown option '-V'" -V
expect_error 2 "bad number '-3x'" -3x 1
# Tokens in messages: escaped and cut, so that a message stays one short line.
long=$(printf 'a%.0s' {1..100000})
expect_error 2 "bad number 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'... (100000 bytes)" "$long" 1
[[ $("${csqrt[@]}" "$long" 1 2>&1 | wc -c) -lt 100 ]] || { echo "FAIL: long token echoed whole"; failures=$((failures + 1)); }
expect_error 2 "bad number 'a\\x0ab\\\\'" $'a\nb\\' 1
STDIN='\xef\xbb\xbf3 4\n' expect_error 1 "line 1: bad number '\\xef\\xbb\\xbf3'"
STDIN='a\0b 3\n' expect_error 1 "line 1: bad number 'a\\x00b'"
STDIN='3,4\n' expect_error 1 "line 1: bad number '3,4'"
STDIN='1 2 3\n' expect_error 1 "line 1: unexpected operand '3' after the two parts"
# Read and write errors end the run with a message and status 1.
expect_io_error "cannot write standard output: No space left on device" '>/dev/full' 3 4
expect_io_error "cannot write standard output" '>/dev/full <<<"3 4"'
expect_io_error "cannot read standard input: Is a directory" '</'
expect_io_error "cannot read standard input: Bad file descriptor" '<&-'

# Every tool: -h and --help list the options, --version names the tool;
# either is honoured only when the whole command line parses, and an
# unknown option or a bad value is one line and status 2.
expect_tool() {  # status, output substring (stdout and stderr), then the command
  local status=$1 want=$2; shift 2
  local got rc
  got=$("$@" 2>&1 </dev/null); rc=$?
  if [[ $rc -ne $status || "$got" != *"$want"* ]]; then
    echo "FAIL: $*: wanted exit $status and '$want', got exit $rc: ${got:0:300}"; failures=$((failures + 1))
  fi
}
expect_tool 0 "--round=MODE, --round MODE" "${csqrt[@]}" --help
expect_tool 0 "  --            every later word is an operand" "${csqrt[@]}" -h
for program in "${csqrt[-1]}" "$@"; do
  name=$(basename "$program") tool=("${emulator[@]}" "$program")
  expect_tool 0 "--version" "${tool[@]}" -h
  expect_tool 0 "$name (ravo_libm) " "${tool[@]}" --version
  expect_tool 2 "unknown option '--bogus'" "${tool[@]}" --version --bogus
  expect_tool 2 "unknown option '--bogus'" "${tool[@]}" --help --bogus
done
if [[ $# -ge 2 ]]; then
  digest=("${emulator[@]}" "$1") accuracy=("${emulator[@]}" "$2")
  expect_tool 2 "'-5' is not a count" "${digest[@]}" -5
  expect_tool 2 "unexpected argument '7'" "${digest[@]}" 5 7
  # 010 is ten pairs, not octal eight: 22 grid values of both signs, squared, and ten.
  expect_tool 0 "(1946 pairs x 4 modes)" "${digest[@]}" 010
  expect_tool 2 "--samples must be at least 1" "${accuracy[@]}" --samples 0
  # An output path that cannot be written stops the run before the report.
  got=$("${accuracy[@]}" --samples 1000 --csv /nonexistent/a.csv 2>&1); rc=$?
  [[ $rc -eq 2 && $got == "csqrt-accuracy: cannot write '/nonexistent/a.csv': No such file or directory" ]] ||
    { echo "FAIL: csqrt-accuracy --csv /nonexistent/a.csv: exit $rc: ${got:0:300}"; failures=$((failures + 1)); }
fi

if [[ $failures -ne 0 ]]; then echo "$failures failures"; exit 1; fi
echo "all cli checks passed"
