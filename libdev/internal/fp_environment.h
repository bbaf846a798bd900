// The caller's floating-point environment, read once per call, and the one
// way the library computes when it is not the environment the kernels are
// written for.
//
// The x87 kernels need the precision control at 64 bits (at 24 or 53 bits
// every x87 operation rounds to that width) and every x87 exception masked
// (an unmasked one traps at the next x87 instruction, a store that is then
// skipped, and the x87 stack is left as it was). The library follows the
// x87 rounding control everywhere, the mode fegetround reports (fesetround
// sets both units; _MM_SET_ROUNDING_MODE only the SSE one): the axis cases'
// SSE roots are moved to the x87 mode's rounding (root_in_mode.h), which is
// cheaper than reading MXCSR on every call.
//
// Anything else takes in_standard_environment: the same computation with
// the caller's x87 rounding mode in both units, 64-bit precision and every
// exception masked, then the caller's control words back, then the flags
// the computation raised. An unmasked one traps there, at the fwait, with
// the x87 stack empty and both control words as the caller set them.
// FTZ and DAZ are left as they are: the x87 unit ignores them and the SSE
// steps never see a subnormal operand.
#ifndef RAVO_FP_ENVIRONMENT_H
#define RAVO_FP_ENVIRONMENT_H

#include <cstdint>

#include "binary64_status.h"
#include "complex_parts.h"
#include "fp_bits.h"
#include "target_namespace.h"
#include "x87_status.h"

RAVO_INTERNAL_BEGIN

// body(x, y, cw) computed in the standard environment with the caller's
// rounding mode; cw is the x87 control word it runs under. x and y pass
// through the asm that sets the environment, and the results through the
// one that reads the flags, so no step of body can move across either.
template <typename Body>
[[gnu::noinline, gnu::cold]] Parts in_standard_environment(std::uint16_t caller_cw, double x, double y, Body body) {
  X87Environment caller = x87_environment();
  const std::uint64_t caller_sse = binary64_status();
  const std::uint16_t cw = standard_x87_control(caller_cw);
  set_x87_control_clearing_flags(cw, x, y);
  set_binary64_status(standard_sse_status(caller_sse, cw), x, y);

  Parts w = body(x, y, cw);

  const std::uint64_t sse_after = binary64_status(w.re, w.im);
  const std::uint16_t x87_after = x87_status_word();
  // Every raised flag goes to the x87 status word, where fetestexcept sees
  // it as well as in MXCSR and where fldenv arms the trap of an unmasked
  // one; the wait delivers it.
  caller.status = static_cast<std::uint16_t>(caller.status | (x87_after & kX87Flags) | sse_ieee_flags(sse_after));
  set_binary64_status(caller_sse);
  set_x87_environment(caller);
  x87_wait();
  return w;
}

// body(x, y, cw) in the x87 kernels' environment: directly when the
// caller's control word cw is that one (one read, one comparison), through
// in_standard_environment otherwise. The x87 entries' finite cases run here;
// the special values need no environment (bit tests and one product whose
// rounding and precision cannot matter).
template <typename Body>
inline Parts in_x87_environment(double x, double y, Body body) {
  const std::uint16_t cw = x87_control_word();
  if (x87_is_standard(cw)) [[likely]]
    return body(x, y, cw);
  return in_standard_environment(cw, x, y, body);
}

RAVO_INTERNAL_END

#endif
