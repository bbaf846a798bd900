// cr_csqrt_batch's vector targets, one per instruction set, each the same
// source (batch_lanes.h) built with its own options: the first n values of
// x (interleaved re, im) through the lanes, the indices left for the scalar
// path written to `left` and counted in the return value; `certified` set
// when a lane was finished in the vector (and so raised inexact).
#ifndef RAVO_BATCH_TARGETS_H
#define RAVO_BATCH_TARGETS_H

#include <cstddef>
#include <cstdint>

#include "fp_bits.h"

namespace ravo::internal {

std::size_t batch_lanes_avx512(std::size_t n, const double* x, double* y, std::uint32_t* left, bool& certified);
std::size_t batch_lanes_avx2(std::size_t n, const double* x, double* y, std::uint32_t* left, bool& certified);
std::size_t batch_lanes_neon(std::size_t n, const double* x, double* y, std::uint32_t* left, bool& certified);

// The same for binary32 values (x and y interleaved floats), rounding in
// `mode` (binary32_lanes.h).
std::size_t batch_lanes32_avx512(std::size_t n, const float* x, float* y, std::uint32_t* left, bool& certified,
                                 RoundingMode mode);
std::size_t batch_lanes32_avx2(std::size_t n, const float* x, float* y, std::uint32_t* left, bool& certified,
                               RoundingMode mode);
std::size_t batch_lanes32_neon(std::size_t n, const float* x, float* y, std::uint32_t* left, bool& certified,
                               RoundingMode mode);

}  // namespace ravo::internal

#endif
