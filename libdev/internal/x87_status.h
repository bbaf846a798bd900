// The x87 unit's control and status words: their fields, and every read and
// write of them. The x87 rounding control is the library's rounding mode on
// x86-64 (what fegetround reports; fesetround sets both units).
//   control word: exception masks (bits 0-5), precision control (8-9,
//     11 = 64 bits), rounding control (10-11, fp_bits.h's encoding);
//   status word: the flags (bits 0-5, in the masks' positions).
#ifndef RAVO_X87_STATUS_H
#define RAVO_X87_STATUS_H

#include "target_namespace.h"

#if !defined(__x86_64__)
#error "x87_status.h: the x87 unit is x86-64's"
#endif

#include <cstdint>

#include "fp_bits.h"

RAVO_INTERNAL_BEGIN

constexpr std::uint16_t kRoundingControl = 0x0C00;
constexpr std::uint16_t kX87Masks = 0x003F;
constexpr std::uint16_t kX87Precision64 = 0x0300;
// What the x87 kernels need: 64-bit precision, every exception masked.
constexpr std::uint16_t kStandardX87 = kX87Masks | kX87Precision64;
constexpr std::uint16_t kX87Flags = 0x003F;
constexpr std::uint16_t kX87Underflow = 0x10, kX87Inexact = 0x20;

inline RoundingMode x87_rounding(std::uint16_t cw) { return (cw & kRoundingControl) >> 10; }

// The x87 kernels' environment, in one comparison (in 32 bits, the shorter
// encoding).
inline bool x87_is_standard(std::uint16_t cw) { return (~std::uint32_t{cw} & kStandardX87) == 0; }

// The standard control word with cw's rounding mode.
inline std::uint16_t standard_x87_control(std::uint16_t cw) {
  return static_cast<std::uint16_t>((cw & kRoundingControl) | kStandardX87);
}

inline std::uint16_t x87_control_word() {
  std::uint16_t cw;
  asm volatile("fnstcw %0" : "=m"(cw));
  return cw;
}

inline void set_x87_control_word(std::uint16_t cw) { asm volatile("fldcw %0" : : "m"(cw) : "memory"); }

inline std::uint16_t x87_status_word() {
  std::uint16_t sw;
  asm volatile("fnstsw %0" : "=am"(sw));
  return sw;
}

// What fnstenv stores in 64-bit mode (28 bytes).
struct X87Environment {
  std::uint16_t control, pad0, status, pad1;
  std::uint32_t rest[5];
};

// fnstenv, which then masks every x87 exception, and fldenv, which arms
// the trap of a set flag whose exception is unmasked; x87_wait delivers it.
inline X87Environment x87_environment() {
  X87Environment env;
  asm volatile("fnstenv %0" : "=m"(env));
  return env;
}
inline void set_x87_environment(const X87Environment& env) { asm volatile("fldenv %0" : : "m"(env) : "memory"); }
inline void x87_wait() { asm volatile("fwait" : : : "memory"); }

// Clears the x87 flags and sets the control word; x and y pass through the
// asm, so that no operation on them moves before it.
inline void set_x87_control_clearing_flags(std::uint16_t cw, double& x, double& y) {
  asm volatile("fnclex\n\tfldcw %2" : "+x"(x), "+x"(y) : "m"(cw) : "memory");
}

// Puts the x87 flags back as they were in status_at_entry; the modes and
// the rest of the state stay.
[[gnu::cold]] inline void restore_x87_flags(std::uint16_t status_at_entry) {
  X87Environment env = x87_environment();
  env.status = static_cast<std::uint16_t>((env.status & ~kX87Flags) | (status_at_entry & kX87Flags));
  set_x87_environment(env);
}

RAVO_INTERNAL_END

#endif
