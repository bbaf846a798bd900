// csqrt: principal complex square root of one argument per invocation, or of
// one argument per line of standard input, with the result in decimal, as hex
// floats and as bit patterns, and the IEEE flags the call raised.
#include <bit>
#include <cfenv>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "call_in_mode.h"
#include "operand.h"

namespace {

constexpr const char* kUsage =
    "usage: csqrt [--round nearest|down|up|zero] [--bits] [X Y]\n"
    "  X Y   real and imaginary part: decimal, hex float, inf, -inf, nan, -nan,\n"
    "        snan, -snan; with --bits, 64-bit patterns in hex (0x7ff0000000000001)\n"
    "  Without X Y, reads one pair per line from standard input.\n";

struct Options {
  int rounding = FE_TONEAREST;
  bool bits = false;
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

std::string show_bits(double re, double im) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "0x%016llx 0x%016llx",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(re)),
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(im)));
  return buf;
}

void print_root(double x, double y, int rounding) {
  const auto [w, flags] = ravo_tools::call_in_mode(x, y, rounding);
  std::cout << "csqrt(" << show("%.17g, %.17g", x, y) << ")\n"
            << "  decimal  " << show("%.17g %+.17gi", w.real(), w.imag()) << "\n"
            << "  hex      " << show("%a %+ai", w.real(), w.imag()) << "\n"
            << "  bits     " << show_bits(w.real(), w.imag()) << "\n"
            << "  flags    " << flag_list(flags) << "\n";
}

// Returns the error text, or an empty string when x and y were parsed.
std::string parse_pair(const std::string& a, const std::string& b, bool bits, double& x, double& y) {
  const auto parse = bits ? ravo_cli::parse_bits : ravo_cli::parse_number;
  const char* what = bits ? "bad bit pattern" : "bad number";
  const auto px = parse(a);
  if (!px) return std::string(what) + " '" + a + "'";
  const auto py = parse(b);
  if (!py) return std::string(what) + " '" + b + "'";
  x = *px;
  y = *py;
  return {};
}

// Every line is processed; a bad line is reported and makes the exit status 1.
int run_stream(const Options& opt) {
  int status = 0;
  std::string line;
  for (long number = 1; std::getline(std::cin, line); ++number) {
    std::istringstream fields(line);
    std::vector<std::string> tokens;
    for (std::string t; fields >> t;) tokens.push_back(t);
    if (tokens.empty() || tokens[0][0] == '#') continue;
    std::string error;
    double x = 0, y = 0;
    if (tokens.size() == 1)
      error = "missing imaginary part after '" + tokens[0] + "'";
    else if (tokens.size() > 2)
      error = "unexpected '" + tokens[2] + "' after the two parts";
    else
      error = parse_pair(tokens[0], tokens[1], opt.bits, x, y);
    if (!error.empty()) {
      std::cout.flush();
      std::cerr << "csqrt: line " << number << ": " << error << "\n";
      status = 1;
      continue;
    }
    print_root(x, y, opt.rounding);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options_done || arg.size() < 2 || arg[0] != '-' || (arg[1] != '-' && arg != "-h")) {
      opt.operands.push_back(arg);  // numbers such as -4 and -inf are operands
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--bits") {
      opt.bits = true;
    } else if (arg == "--round" || arg.rfind("--round=", 0) == 0) {
      std::string mode;
      if (arg == "--round") {
        if (i + 1 == argc) {
          std::cerr << "csqrt: missing mode after '--round'\n";
          return 2;
        }
        mode = argv[++i];
      } else {
        mode = arg.substr(8);
      }
      const auto rounding = ravo_cli::parse_rounding(mode);
      if (!rounding) {
        std::cerr << "csqrt: unknown rounding mode '" << mode << "' (nearest, down, up, zero)\n";
        return 2;
      }
      opt.rounding = *rounding;
    } else {
      std::cerr << "csqrt: unknown option '" << arg << "' (see csqrt --help)\n";
      return 2;
    }
  }

  if (opt.operands.empty()) return run_stream(opt);
  if (opt.operands.size() == 1) {
    std::cerr << "csqrt: missing imaginary part after '" << opt.operands[0] << "'\n";
    return 2;
  }
  if (opt.operands.size() > 2) {
    std::cerr << "csqrt: unexpected operand '" << opt.operands[2] << "'\n";
    return 2;
  }
  double x = 0, y = 0;
  const std::string error = parse_pair(opt.operands[0], opt.operands[1], opt.bits, x, y);
  if (!error.empty()) {
    std::cerr << "csqrt: " << error << "\n";
    return 2;
  }
  print_root(x, y, opt.rounding);
  return 0;
}
