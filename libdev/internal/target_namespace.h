// Where the library's internal code lives: ravo::internal, one named
// namespace, so that a type passes from one source file to another as
// itself. Sources are built for different instruction sets (the FMA path,
// the AVX-512 and AVX2 lanes, the baseline), and an inline function that
// is not inlined is emitted in each as a weak copy the linker keeps only
// one of; so the code of the headers sits in an inline namespace named
// after the instruction set, and a baseline caller never reaches an
// AVX-512 copy. Plain data types that cross files (Parts, DoubleDoubleOf,
// RootPart) and the out-of-line functions' declarations stay outside it.
#ifndef RAVO_TARGET_NAMESPACE_H
#define RAVO_TARGET_NAMESPACE_H

#if defined(__AVX512F__)
#define RAVO_TARGET_NAMESPACE avx512
#elif defined(__AVX2__)
#define RAVO_TARGET_NAMESPACE avx2
#elif defined(__FMA__)
#define RAVO_TARGET_NAMESPACE fma
#elif defined(__aarch64__)
#define RAVO_TARGET_NAMESPACE aarch64
#else
#define RAVO_TARGET_NAMESPACE baseline
#endif

// Whether the source is built with a fused multiply-add instruction, which
// the kernels use for their residuals. GCC announces it by __FP_FAST_FMA;
// Clang 14 does for no target, so the instruction-set macros decide.
#if defined(__FMA__) || defined(__ARM_FEATURE_FMA)
#define RAVO_HAS_FMA 1
#else
#define RAVO_HAS_FMA 0
#endif

#define RAVO_INTERNAL_BEGIN  \
  namespace ravo::internal { \
  inline namespace RAVO_TARGET_NAMESPACE {
#define RAVO_INTERNAL_END \
  }                       \
  }

#endif
