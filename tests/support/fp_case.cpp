#include "fp_case.h"

#include <cstdio>

#include "call_in_mode.h"

namespace ravo_test {

std::string mode_name(int fe_round) {
  for (const auto& mode : ravo_tools::kRoundingModes)
    if (mode.fe == fe_round) return mode.name;
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

namespace {
Outcome run(ravo_tools::CsqrtFunction f, double x, double y, int fe_round) {
  const auto [w, flags] = ravo_tools::call_in_mode(f, x, y, fe_round);
  return {to_bits(w.real()), to_bits(w.imag()), flags & kAllFlags};
}
}  // namespace

Outcome run_csqrt(double x, double y, int fe_round) { return run(csqrt_scalar, x, y, fe_round); }
Outcome run_cr_csqrt(double x, double y, int fe_round) { return run(cr_csqrt_scalar, x, y, fe_round); }

}  // namespace ravo_test
