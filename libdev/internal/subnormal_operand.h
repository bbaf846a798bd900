// DAZ (set by programs built with fast-math) makes SSE arithmetic read a
// subnormal operand as zero; the x87 unit ignores it. The axis cases' SSE
// square roots therefore never take a subnormal operand: a subnormal
// a = m 2^-1074 becomes the normal binary64 m by an integer conversion
// (exact, m < 2^52), and sqrt(a) = sqrt(m) 2^-537 with the product exact
// (sqrt(m) >= 1, so it stays above 2^-537).
#ifndef RAVO_SUBNORMAL_OPERAND_H
#define RAVO_SUBNORMAL_OPERAND_H

#include <cstdint>

#include "fp_bits.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// a >= 0: zero or subnormal.
inline bool is_below_normal(double a) { return bits_of(a) < kImplicitBit; }

// a >= 0 below 2^-1022, in units of 2^-1074.
inline double in_subnormal_units(double a) { return static_cast<double>(static_cast<std::int64_t>(bits_of(a))); }

constexpr double kSubnormalRootScale = 0x1p-537;  // sqrt(2^-1074)

RAVO_INTERNAL_END

#endif
