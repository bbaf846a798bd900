// The library's rounding mode set to a direction for a scope and put back
// after it, for the entries that round in a fixed direction whatever the
// thread's mode: on x86-64 the rounding fields of the x87 control word and
// of MXCSR (both, so that the computation meets the standard environment),
// on aarch64 FPCR's. Only the rounding fields change: the flags raised in
// the scope stay, and so do the exception masks (a trap the caller enabled
// fires in the scope), the precision control, FTZ and DAZ. The scope
// begins and ends at calls the compiler cannot see into, so no arithmetic
// crosses its edges.
#ifndef RAVO_ROUNDING_SCOPE_H
#define RAVO_ROUNDING_SCOPE_H

#include <cstdint>

#include "binary64_status.h"
#include "fp_bits.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

class RoundingScope {
 public:
  // A word already in the mode is not written, in or out: a caller asking
  // for its own thread's mode pays two reads.
  explicit RoundingScope(RoundingMode mode) : mode_(mode) {
#if defined(__x86_64__)
    if (x87_rounding(caller_cw_) != mode_) set_x87_control_word(with_rounding(caller_cw_, mode_));
    if (caller_sse_ != mode_) set_sse_rounding(mode_);
#else
    if (caller_ != mode_) set_binary64_rounding(mode_);
#endif
  }
  ~RoundingScope() {
#if defined(__x86_64__)
    if (x87_rounding(caller_cw_) != mode_) set_x87_control_word(caller_cw_);
    if (caller_sse_ != mode_) set_sse_rounding(caller_sse_);
#else
    if (caller_ != mode_) set_binary64_rounding(caller_);
#endif
  }
  RoundingScope(const RoundingScope&) = delete;
  RoundingScope& operator=(const RoundingScope&) = delete;

 private:
  const RoundingMode mode_;
#if defined(__x86_64__)
  static std::uint16_t with_rounding(std::uint16_t cw, RoundingMode mode) {
    return static_cast<std::uint16_t>((cw & ~kRoundingControl) | mode << 10);
  }
  const std::uint16_t caller_cw_ = x87_control_word();
  const RoundingMode caller_sse_ = binary64_rounding();
#else
  const RoundingMode caller_ = binary64_rounding();
#endif
};

// f(args...) with the library's mode set to kMode.
template <RoundingMode kMode, auto f, typename... Args>
inline auto in_rounding(Args... args) {
  const RoundingScope scope(kMode);
  return f(args...);
}

RAVO_INTERNAL_END

#endif
