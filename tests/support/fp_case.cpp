#include "fp_case.h"

#include <complex>
#include <cstdio>

namespace ravo_test {

std::string mode_name(int fe_round) {
  switch (fe_round) {
    case FE_TONEAREST: return "nearest";
    case FE_DOWNWARD: return "down";
    case FE_UPWARD: return "up";
    case FE_TOWARDZERO: return "zero";
  }
  return "?";
}

std::string flag_names(int flags) {
  std::string s;
  const auto add = [&](int f, const char* name) {
    if (flags & f) s += s.empty() ? name : std::string("|") + name;
  };
  add(FE_INVALID, "invalid");
  add(FE_INEXACT, "inexact");
  add(FE_UNDERFLOW, "underflow");
  add(FE_OVERFLOW, "overflow");
  add(FE_DIVBYZERO, "divide-by-zero");
  return s.empty() ? "none" : s;
}

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "{0x%016llx, 0x%016llx, ", static_cast<unsigned long long>(o.re),
                static_cast<unsigned long long>(o.im));
  return os << buf << flag_names(o.flags) << "}";
}

Outcome run_csqrt(double x, double y, int fe_round) {
  std::fesetround(fe_round);
  std::feclearexcept(FE_ALL_EXCEPT);
  const std::complex<double> w = csqrt_scalar({x, y});
  const int flags = std::fetestexcept(kAllFlags);
  std::fesetround(FE_TONEAREST);
  return {to_bits(w.real()), to_bits(w.imag()), flags};
}

}  // namespace ravo_test
