// csqrt: principal complex square root of one argument per invocation, or of
// one argument per line of standard input, with the result in decimal, as hex
// floats and as bit patterns, and the IEEE flags the call raised.
#include <sys/types.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "call_in_mode.h"
#include "command_line.h"
#include "operand.h"
#include "text.h"

namespace {

constexpr const char* kUsage =
    "usage: csqrt [OPTIONS] [--] X Y\n"
    "       csqrt [OPTIONS] < PAIRS\n"
    "The principal square root of X + Yi (csqrt_scalar, or cr_csqrt_scalar with\n"
    "--cr, or cr_csqrtf_scalar with --float) in decimal, as hex floats and as\n"
    "bit patterns, and the IEEE flags the call raised. Without X Y, reads one pair per line from standard input;\n"
    "blank lines and everything from a # to the end of its line are skipped.\n"
    "\n"
    "options:\n"
    "  --round=MODE, --round MODE  rounding mode: nearest (default), down, up, zero\n"
    "  --cr          the correctly rounded root (cr_csqrt_scalar) and its flags\n"
    "  --entry=E, --entry E  the correctly rounded root in a fixed direction,\n"
    "                whatever --round says: rn, rd, ru or rz (cr_csqrt_rn ...)\n"
    "  --float       X and Y are binary32: the correctly rounded binary32 root\n"
    "                (cr_csqrtf_scalar, or cr_csqrtf_rn ... with --entry)\n"
    "  --bits        X and Y are 64-bit patterns in hex (0x7ff0000000000001),\n"
    "                32-bit ones with --float (0x7f800001)\n"
    "  -h, --help    print this help and exit\n"
    "  --version     print the version and exit\n"
    "  --            every later word is an operand\n"
    "\n"
    "X, Y: decimal or hex float (2.5, -0x1p-3), inf, nan, snan, nan(P), snan(P)\n"
    "with P the payload in decimal or 0x-hex (below 2^51, 2^22 with --float;\n"
    "non-zero for snan);\n"
    "each with an optional sign, in any letter case. A word starting with - is\n"
    "an operand when it is, or starts like, a number.\n"
    "Exit status: 0 done, 1 a bad input line or a read or write error, 2 a bad\n"
    "command line.\n";

struct Options {
  int rounding = FE_TONEAREST;
  bool correctly_rounded = false;
  const ravo_tools::FixedDirection* entry = nullptr;  // --entry
  bool bits = false;
  bool binary32 = false;  // --float
  std::vector<std::string> operands;
};

std::string flag_list(int flags) {
  static constexpr std::pair<int, const char*> kNames[] = {
      {FE_INVALID, "invalid"},   {FE_INEXACT, "inexact"},          {FE_UNDERFLOW, "underflow"},
      {FE_OVERFLOW, "overflow"}, {FE_DIVBYZERO, "divide-by-zero"},
  };
  std::string s;
  for (const auto& [flag, name] : kNames) {
    if (!(flags & flag)) continue;
    if (!s.empty()) s += ' ';
    s += name;
  }
  return s.empty() ? "none" : s;
}

std::string show(const char* format, double re, double im) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, re, im);
  return buf;
}

// The shortest decimal that reads back to v, with its sign always written.
std::string signed_number(double v) {
  const std::string s = ravo_cli::echo_number(v);
  return s[0] == '-' ? s : '+' + s;
}

std::string show_bits(double re, double im) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "0x%016llx 0x%016llx",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(re)),
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(im)));
  return buf;
}

void print_root(double x, double y, const Options& opt) {
  const ravo_tools::CsqrtFunction f = opt.entry != nullptr    ? opt.entry->scalar
                                      : opt.correctly_rounded ? ravo_tools::CsqrtFunction{cr_csqrt_scalar}
                                                              : ravo_tools::CsqrtFunction{csqrt_scalar};
  const auto [w, flags] = ravo_tools::call_in_mode(f, x, y, opt.rounding);
  const std::string name = opt.entry != nullptr    ? std::string("cr_csqrt_") + opt.entry->suffix
                           : opt.correctly_rounded ? "cr_csqrt"
                                                   : "csqrt";
  std::cout << name << "(" << ravo_cli::echo_number(x) << ", " << ravo_cli::echo_number(y) << ")\n"
            << "  decimal  " << ravo_cli::echo_number(w.real()) << ' ' << signed_number(w.imag()) << "i\n"
            << "  hex      " << show("%a %+ai", w.real(), w.imag()) << "\n"
            << "  bits     " << show_bits(w.real(), w.imag()) << "\n"
            << "  flags    " << flag_list(flags) << "\n";
}

std::string show_bits(float re, float im) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%08x 0x%08x", static_cast<unsigned>(std::bit_cast<std::uint32_t>(re)),
                static_cast<unsigned>(std::bit_cast<std::uint32_t>(im)));
  return buf;
}

// The binary32 root: cr_csqrtf_scalar in the mode, or the entry of a fixed
// direction. The hex line shows the parts widened, which is exact.
void print_root(float x, float y, const Options& opt) {
  // kFixedDirections32 lists the directions in kFixedDirections' order.
  const ravo_tools::CsqrtfFunction f =
      opt.entry != nullptr ? ravo_tools::kFixedDirections32[opt.entry - ravo_tools::kFixedDirections].scalar
                           : ravo_tools::CsqrtfFunction{cr_csqrtf_scalar};
  const auto [w, flags] = ravo_tools::call_in_mode(f, x, y, opt.rounding);
  const std::string name = opt.entry != nullptr ? std::string("cr_csqrtf_") + opt.entry->suffix : "cr_csqrtf";
  std::cout << name << "(" << ravo_cli::echo_number(x) << ", " << ravo_cli::echo_number(y) << ")\n"
            << "  decimal  " << ravo_cli::echo_number(w.real()) << ' ' << (std::signbit(w.imag()) ? "" : "+")
            << ravo_cli::echo_number(w.imag()) << "i\n"
            << "  hex      " << show("%a %+ai", w.real(), w.imag()) << "\n"
            << "  bits     " << show_bits(w.real(), w.imag()) << "\n"
            << "  flags    " << flag_list(flags) << "\n";
}

// Returns the error text, or an empty string when the operand was parsed.
std::string parse_operand(const std::string& token, bool bits, float& value) {
  using ravo_cli::quote_token;
  if (bits) {
    const auto v = ravo_cli::parse_bits32(token);
    if (!v) return "bad bit pattern " + quote_token(token);
    value = *v;
    return {};
  }
  const ravo_cli::Number32 n = ravo_cli::parse_number32(token);
  if (n.status == ravo_cli::Number::out_of_range)
    return "number " + quote_token(token) + " is out of binary32's range (largest finite 3.4028235e38)";
  if (n.status != ravo_cli::Number::ok)
    return "bad number " + quote_token(token) + (n.why.empty() ? "" : ": " + std::string(n.why));
  value = n.value;
  return {};
}

// Returns the error text, or an empty string when the operand was parsed.
std::string parse_operand(const std::string& token, bool bits, double& value) {
  using ravo_cli::quote_token;
  if (bits) {
    const auto v = ravo_cli::parse_bits(token);
    if (!v) return "bad bit pattern " + quote_token(token);
    value = *v;
    return {};
  }
  const ravo_cli::Number n = ravo_cli::parse_number(token);
  if (n.status == ravo_cli::Number::out_of_range)
    return "number " + quote_token(token) + " is out of binary64's range (largest finite 1.7976931348623157e308)";
  if (n.status != ravo_cli::Number::ok)
    return "bad number " + quote_token(token) + (n.why.empty() ? "" : ": " + std::string(n.why));
  value = n.value;
  return {};
}

// The operands of one argument, parsed before they are counted, so that a
// token that is not a number is reported as such. Returns the error text.
template <typename Real>
std::string parse_pair(const std::vector<std::string>& tokens, bool bits, Real& x, Real& y) {
  Real parsed[2] = {0, 0};
  for (std::size_t i = 0; i < tokens.size() && i < 2; ++i) {
    const std::string error = parse_operand(tokens[i], bits, parsed[i]);
    if (!error.empty()) return error;
  }
  if (tokens.size() == 1) return "missing imaginary part after " + ravo_cli::quote_token(tokens[0]);
  if (tokens.size() > 2) return "unexpected operand " + ravo_cli::quote_token(tokens[2]) + " after the two parts";
  x = parsed[0];
  y = parsed[1];
  return {};
}

// The root of one pair of operands, printed; or the error text, nothing
// printed.
template <typename Real>
std::string parse_and_print(const std::vector<std::string>& tokens, const Options& opt) {
  Real x = 0, y = 0;
  std::string error = parse_pair(tokens, opt.bits, x, y);
  if (error.empty()) print_root(x, y, opt);
  return error;
}

// True when standard output has taken everything written so far; otherwise
// says why on standard error. Called right after writing, while errno still
// holds the failed write's cause.
bool output_ok() {
  if (std::cout && !std::ferror(stdout)) return true;
  std::fprintf(stderr, "csqrt: cannot write standard output: %s\n", std::strerror(errno));
  return false;
}

bool flush_output() {
  std::cout.flush();
  if (std::fflush(stdout) != 0) std::cout.setstate(std::ios::badbit);
  return output_ok();
}

// Every line is processed; a bad line is reported and makes the exit status 1.
// A read or write error ends the run with status 1.
int run_stream(const Options& opt) {
  int status = 0;
  char* buffer = nullptr;
  std::size_t capacity = 0;
  long number = 0;
  for (ssize_t length; (length = getline(&buffer, &capacity, stdin)) >= 0;) {
    ++number;
    // The line as read, NUL bytes included, so that they reach the message;
    // a # starts a comment (no number holds one) that runs to the line's end.
    std::string line(buffer, static_cast<std::size_t>(length));
    line.erase(std::min(line.find('#'), line.size()));
    std::istringstream fields(line);
    std::vector<std::string> tokens;
    for (std::string t; fields >> t;) tokens.push_back(t);
    if (tokens.empty()) continue;
    const std::string error = opt.binary32 ? parse_and_print<float>(tokens, opt) : parse_and_print<double>(tokens, opt);
    if (!error.empty()) {
      if (!flush_output()) return 1;
      std::cerr << "csqrt: line " << number << ": " << error << "\n";
      status = 1;
      continue;
    }
    if (!output_ok()) return 1;
  }
  const bool read_failed = std::ferror(stdin);
  const int read_errno = errno;
  std::free(buffer);
  if (read_failed) {
    std::fprintf(stderr, "csqrt: cannot read standard input: %s\n", std::strerror(read_errno));
    return 1;
  }
  return flush_output() ? status : 1;
}

// A word starting with '-' is an operand when it is a number (-3, -inf,
// -snan, -0x1p-3, -1e999) or starts like one (-3x, -snan(0), reported as a
// bad number); any other is an option.
bool is_operand(const std::string& arg) {
  if (arg.size() < 2 || arg[0] != '-') return true;
  if (arg[1] == '-') return false;
  const ravo_cli::Number n = ravo_cli::parse_number(arg);
  return std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.' || n.status != ravo_cli::Number::bad ||
         !n.why.empty();
}

// CLI11 would read -inf, -nan or -snan as the short options -i, -n, -s. The
// operands are therefore picked out first, by is_operand, and handed over
// after a "--", behind the option words in their order. --round is the one
// and --entry are the options with a separate value, which is never an
// operand; it is empty when the option ends the words.
std::optional<std::vector<std::string>> options_then_operands(int argc, char** argv) {
  std::vector<std::string> options{argv[0]}, operands;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      operands.insert(operands.end(), argv + i + 1, argv + argc);
      break;
    }
    if (arg == "--round" || arg == "--entry") {
      if (i + 1 == argc) return std::nullopt;
      options.push_back(arg);
      options.push_back(argv[++i]);
    } else {
      (is_operand(arg) ? operands : options).push_back(arg);
    }
  }
  options.emplace_back("--");
  options.insert(options.end(), operands.begin(), operands.end());
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  std::string mode;
  ravo_tools::CommandLine command_line("csqrt", "principal complex square root", kUsage);
  command_line.text("--round", mode, "rounding mode", "MODE");
  command_line.flag("--cr", opt.correctly_rounded, "the correctly rounded root");
  std::string entry;
  command_line.text("--entry", entry, "a fixed direction", "E");
  command_line.flag("--bits", opt.bits, "operands as bit patterns");
  command_line.flag("--float", opt.binary32, "binary32 operands, the correctly rounded binary32 root");
  command_line.operands("operands", opt.operands, "X Y");
  const auto words = options_then_operands(argc, argv);
  if (!words)
    return command_line.fail(std::string(argv[argc - 1]) == "--entry" ? "missing direction after '--entry'"
                                                                      : "missing mode after '--round'");
  std::vector<const char*> word_pointers;
  for (const std::string& w : *words) word_pointers.push_back(w.c_str());
  if (const auto done = command_line.parse(static_cast<int>(word_pointers.size()), word_pointers.data())) return *done;
  if (command_line.given("--round")) {
    const auto rounding = ravo_cli::parse_rounding(mode);
    if (!rounding)
      return command_line.fail("unknown rounding mode " + ravo_cli::quote_token(mode) + ": nearest, down, up or zero");
    opt.rounding = *rounding;
  }
  if (command_line.given("--entry")) {
    for (const auto& d : ravo_tools::kFixedDirections)
      if (entry == d.suffix) opt.entry = &d;
    if (opt.entry == nullptr)
      return command_line.fail("unknown entry " + ravo_cli::quote_token(entry) + ": rn, rd, ru or rz");
  }

  if (opt.operands.empty()) return run_stream(opt);
  const std::string error =
      opt.binary32 ? parse_and_print<float>(opt.operands, opt) : parse_and_print<double>(opt.operands, opt);
  if (!error.empty()) {
    std::cerr << "csqrt: " << error << "\n";
    return 2;
  }
  return flush_output() ? 0 : 1;
}
