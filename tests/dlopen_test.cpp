// Loading the shared library changes no floating-point control: a library
// linked with fast-math options would turn on FTZ and DAZ from its start-up
// code in every program that loads it. Loaded into a caller whose controls
// are all non-default, so that a reset to defaults shows as well.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>

#include "ravo_libm.h"

namespace {

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

TEST(LoadingTheLibrary, LeavesTheControlsAlone) {
  ASSERT_EQ(dlopen(RAVO_LIBRARY_FILE, RTLD_NOW | RTLD_NOLOAD), nullptr) << "already loaded: nothing would run";
  // x87: rounding up, precision 53, invalid unmasked; MXCSR: rounding down.
  const std::uint16_t x87 = 0x0A7E;
  const std::uint32_t mxcsr = 0x3F80;
  asm volatile("fldcw %0\n\tldmxcsr %1" : : "m"(x87), "m"(mxcsr));
  const Controls before = controls();
  void* library = dlopen(RAVO_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  const Controls after = controls();
  std::fesetenv(FE_DFL_ENV);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_EQ(before.x87, x87);
  EXPECT_EQ(before.mxcsr, mxcsr);
  EXPECT_EQ(after.x87, before.x87);
  EXPECT_EQ(after.mxcsr, before.mxcsr);
  // The library that was loaded is the one under test.
  const auto root = reinterpret_cast<ravo_c_complex (*)(ravo_c_complex)>(dlsym(library, "csqrt_scalar"));
  ASSERT_NE(root, nullptr);
  const ravo_c_complex w = root(ravo_to_c_complex({-3, 4}));
  EXPECT_EQ(__extension__ __real__ w, 1.0);
  EXPECT_EQ(__extension__ __imag__ w, 2.0);
  dlclose(library);
}

}  // namespace
