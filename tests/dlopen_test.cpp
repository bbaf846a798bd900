// Loading the shared library changes no floating-point control: a library
// linked with fast-math options would turn on flush-to-zero (FTZ and DAZ on
// x86-64, FZ on AArch64) from its start-up code in every program that loads
// it. Loaded into a caller whose controls differ from the defaults, so that
// a reset to defaults shows as well.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <ostream>

#include "ravo_libm.h"

namespace {

#if defined(__x86_64__)
struct Controls {
  std::uint16_t x87;
  std::uint32_t mxcsr;  // with its flags
  bool operator==(const Controls&) const = default;
};

Controls controls() {
  Controls c;
  asm volatile("fnstcw %0\n\tstmxcsr %1" : "=m"(c.x87), "=m"(c.mxcsr));
  return c;
}

std::ostream& operator<<(std::ostream& os, const Controls& c) {
  return os << std::hex << "x87 0x" << c.x87 << ", MXCSR 0x" << c.mxcsr << std::dec;
}

// x87: rounding up, precision 53, invalid unmasked; MXCSR: rounding down.
constexpr Controls kNonDefault{0x0A7E, 0x3F80};

void set_controls(const Controls& c) { asm volatile("fldcw %0\n\tldmxcsr %1" : : "m"(c.x87), "m"(c.mxcsr)); }
#elif defined(__aarch64__)
// FPCR, where fast-math start-up code sets FZ (bit 24).
struct Controls {
  std::uint64_t fpcr;
  bool operator==(const Controls&) const = default;
};

Controls controls() {
  Controls c;
  asm volatile("mrs %0, fpcr" : "=r"(c.fpcr));
  return c;
}

std::ostream& operator<<(std::ostream& os, const Controls& c) {
  return os << std::hex << "FPCR 0x" << c.fpcr << std::dec;
}

// Rounding toward minus infinity (RMode, bits 23-22, 0b10).
constexpr Controls kNonDefault{0x800000};

void set_controls(const Controls& c) { asm volatile("msr fpcr, %0" : : "r"(c.fpcr)); }
#else
#error "the floating-point controls of this target are not known here"
#endif

TEST(LoadingTheLibrary, LeavesTheControlsAlone) {
  ASSERT_EQ(dlopen(RAVO_LIBRARY_FILE, RTLD_NOW | RTLD_NOLOAD), nullptr) << "already loaded: nothing would run";
  set_controls(kNonDefault);
  const Controls before = controls();
  void* library = dlopen(RAVO_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  const Controls after = controls();
  std::fesetenv(FE_DFL_ENV);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_EQ(before, kNonDefault);
  EXPECT_EQ(after, before);
  // The library that was loaded is the one under test.
  const auto root = reinterpret_cast<ravo_c_complex (*)(ravo_c_complex)>(dlsym(library, "csqrt_scalar"));
  ASSERT_NE(root, nullptr);
  const ravo_c_complex w = root(ravo_to_c_complex({-3, 4}));
  EXPECT_EQ(__extension__ __real__ w, 1.0);
  EXPECT_EQ(__extension__ __imag__ w, 2.0);
  dlclose(library);
}

}  // namespace
