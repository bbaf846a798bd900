// The binary64-only path's slow path: both parts settled when the fast
// path's rounding test fails or a part may be tiny.
#ifndef RAVO_CR_BINARY64_DECISION_H
#define RAVO_CR_BINARY64_DECISION_H

#include <cstdint>

namespace ravo_internal {

struct SettledRoot {
  double re, im;
};

// x and y finite and non-zero; status_at_entry is the binary64 status word
// read before any arithmetic of the call (binary64_status.h). The result is
// correctly rounded in the current mode, with inexact put back to its entry
// state when both parts are exact, and inexact and underflow raised as the
// parts warrant. Two doubles, returned in registers, so that the fast path
// can jump here.
SettledRoot cr_binary64_settle(double x, double y, std::uint64_t status_at_entry);

// Whether cr_binary64_settle needs the exact decision for a part of this
// argument, for the accuracy tool's statistics. Raises flags like the call.
bool cr_binary64_decides(double x, double y);

}  // namespace ravo_internal

#endif
