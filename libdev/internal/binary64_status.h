// The binary64 unit's status and rounding mode, for the binary64-only path:
// one read of the flags on entry (an exact result must leave inexact as the
// caller had it, though the approximation raised it), the rounding mode for
// the rare exact decision, and the inexact flag put back.
//
// The reads and writes pass the values they must follow or precede through
// their asm, so that no floating-point operation the compiler schedules can
// cross them: it does not treat the flags as data.
#ifndef RAVO_BINARY64_STATUS_H
#define RAVO_BINARY64_STATUS_H

#include <cstdint>

#include "fp_bits.h"
#include "target_namespace.h"
#if defined(__x86_64__)
#include "x87_status.h"
#endif

RAVO_INTERNAL_BEGIN

// Per target: the status word read after x and y are ready, written back,
// and the rounding mode (a RoundingMode).
#if defined(__x86_64__)
// MXCSR: flags (bits 0-5, inexact is bit 5), masks (7-12), rounding
// control (13-14, the x87 field three bits higher).
constexpr std::uint64_t kInexactStatus = 0x20;
constexpr std::uint32_t kSseFlags = 0x003F, kSseDenormalFlag = 0x0002;
constexpr std::uint32_t kSseMasks = 0x1F80, kSseRounding = 0x6000;
constexpr int kSseRoundingShift = 3;

inline RoundingMode sse_rounding(std::uint64_t mxcsr) { return (mxcsr & kSseRounding) >> 13; }

// MXCSR as the binary64 operations need it: every exception masked (none
// traps in them) and the x87 unit's rounding mode (cw, the x87 control
// word; the library's mode, the one fegetround reports). One comparison.
inline bool sse_is_standard(std::uint64_t status, std::uint16_t cw) {
  const std::uint64_t wanted = kSseMasks | std::uint64_t{static_cast<std::uint16_t>(cw & kRoundingControl)}
                                               << kSseRoundingShift;
  return (status & (kSseMasks | kSseRounding)) == wanted;
}

inline std::uint64_t binary64_status(double& x, double& y) {
  std::uint32_t mxcsr;
  asm volatile("stmxcsr %0" : "=m"(mxcsr), "+x"(x), "+x"(y));
  return mxcsr;
}

// The status word around work done out of line (the array function's
// lanes): memory clobbers keep the calls on their side.
inline std::uint64_t binary64_status() {
  std::uint32_t mxcsr;
  asm volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  return mxcsr;
}

inline void set_binary64_status(std::uint64_t status) {
  const auto mxcsr = static_cast<std::uint32_t>(status);
  asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
}

// The same before work on x and y, which pass through the asm.
inline void set_binary64_status(std::uint64_t status, double& x, double& y) {
  const auto mxcsr = static_cast<std::uint32_t>(status);
  asm volatile("ldmxcsr %2" : "+x"(x), "+x"(y) : "m"(mxcsr) : "memory");
}

// MXCSR for the standard environment from the caller's: the same FTZ and
// DAZ, flags clear, every exception masked, cw's rounding mode.
inline std::uint64_t standard_sse_status(std::uint64_t caller, std::uint16_t cw) {
  return (caller & ~std::uint64_t{kSseFlags | kSseRounding}) | kSseMasks |
         (std::uint64_t{static_cast<std::uint16_t>(cw & kRoundingControl)} << kSseRoundingShift);
}

// MXCSR's IEEE flags in the x87 status word's positions (the same bits);
// the denormal flag is no IEEE flag, and the x87 denormal mask does not
// govern it.
inline std::uint16_t sse_ieee_flags(std::uint64_t status) {
  return static_cast<std::uint16_t>(status & (kSseFlags & ~kSseDenormalFlag));
}

// The binary64 unit in the state the library's binary64 arithmetic needs,
// from a status word read on entry.
inline bool binary64_is_standard(std::uint64_t status) { return sse_is_standard(status, x87_control_word()); }

inline RoundingMode binary64_rounding() {
  std::uint32_t mxcsr;
  asm volatile("stmxcsr %0" : "=m"(mxcsr));
  return sse_rounding(mxcsr);
}

// Every SSE exception masked: binary64 work traps on nothing.
inline bool binary64_traps_masked(std::uint64_t status) { return (status & kSseMasks) == kSseMasks; }

// The library's rounding mode: the x87 one (what fegetround reports).
inline RoundingMode library_rounding() { return x87_rounding(x87_control_word()); }

// MXCSR's rounding field set to a mode; the flags raised meanwhile stay.
inline void set_sse_rounding(RoundingMode mode) {
  set_binary64_status((binary64_status() & ~std::uint64_t{kSseRounding}) | (std::uint64_t{mode} << 13));
}
#elif defined(__aarch64__)
// FPSR: cumulative flags, inexact (IXC) is bit 4. FPCR: rounding mode in
// bits 22-23 in its own encoding (to nearest, up, down, toward zero), the
// trap enables in bits 8-12 and 15.
constexpr std::uint64_t kInexactStatus = 0x10;
constexpr std::uint64_t kFpcrTrapEnables = 0x9F00;

inline std::uint64_t binary64_status(double& x, double& y) {
  std::uint64_t fpsr;
  asm volatile("mrs %0, fpsr" : "=r"(fpsr), "+w"(x), "+w"(y));
  return fpsr;
}

inline std::uint64_t binary64_status() {
  std::uint64_t fpsr;
  asm volatile("mrs %0, fpsr" : "=r"(fpsr) : : "memory");
  return fpsr;
}

inline void set_binary64_status(std::uint64_t fpsr) { asm volatile("msr fpsr, %0" : : "r"(fpsr) : "memory"); }

// No trap enabled (FPCR's rounding is the library's mode on this target).
inline bool binary64_is_standard(std::uint64_t) {
  std::uint64_t fpcr;
  asm volatile("mrs %0, fpcr" : "=r"(fpcr));
  return (fpcr & kFpcrTrapEnables) == 0;
}

inline RoundingMode binary64_rounding() {
  std::uint64_t fpcr;
  asm volatile("mrs %0, fpcr" : "=r"(fpcr));
  constexpr RoundingMode kFromFpcr[4] = {kToNearest, kUpward, kDownward, kTowardZero};
  return kFromFpcr[(fpcr >> 22) & 3u];
}

inline bool binary64_traps_masked(std::uint64_t status) { return binary64_is_standard(status); }
inline RoundingMode library_rounding() { return binary64_rounding(); }

// FPCR's rounding field set to a mode (the library's; FPCR holds no flags).
inline void set_binary64_rounding(RoundingMode mode) {
  constexpr std::uint64_t kToFpcr[4] = {0, 2, 1, 3};  // indexed by RoundingMode
  std::uint64_t fpcr;
  asm volatile("mrs %0, fpcr" : "=r"(fpcr));
  fpcr = (fpcr & ~(std::uint64_t{3} << 22)) | kToFpcr[mode] << 22;
  asm volatile("msr fpcr, %0" : : "r"(fpcr) : "memory");
}
#else
#error "binary64_status.h: no access to the binary64 flags on this target"
#endif

// The flags back to status_at_entry, with inexact added when the result
// is inexact: after work that may have raised inexact and nothing else
// (an approximation of a result that turned out exact, the vector lanes'
// chunk), the one way either puts the word back.
inline void restore_flags_but_inexact(std::uint64_t status_at_entry, bool inexact) {
  set_binary64_status(inexact ? status_at_entry | kInexactStatus : status_at_entry);
}

RAVO_INTERNAL_END

#endif
