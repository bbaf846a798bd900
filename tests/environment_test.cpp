// Both functions in the environments a caller may set: x87 precision control
// at 24 and 53 bits, one trap enabled at a time, FTZ, DAZ, an SSE rounding
// mode that differs from the x87 one. For every argument of the grid in all
// four rounding modes (the x87 mode; fesetround sets both, then the
// environment is changed):
//   - the results and flags are those of the same call in the default
//     environment (FTZ and DAZ included, as the README states);
//   - the x87 control word, MXCSR's controls and the x87 tag word are as
//     before the call;
//   - an enabled trap fires exactly when the default call raises its flag,
//     inside the library (the faulting instruction is in its text), before
//     the call returns, with the caller's control words in force and the x87
//     stack empty.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <ucontext.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <csetjmp>
#include <csignal>
#include <limits>

#include "support/fp_case.h"

namespace ravo_test {
namespace {

using CFunction = ravo_c_complex (*)(ravo_c_complex);

struct FpState {
  std::uint16_t control, tag;
  std::uint32_t mxcsr;
};

constexpr std::uint32_t kMxcsrControls = 0xFFC0;  // DAZ, masks, rounding, FTZ
constexpr std::uint16_t kAllEmpty = 0xFFFF;

FpState fp_state() {
  struct {
    std::uint16_t control, pad0, status, pad1, tag, pad2;
    std::uint32_t rest[4];
  } env;
  std::uint32_t mxcsr;
  // fnstenv masks every x87 exception; fldenv puts the word back.
  asm volatile("fnstenv %0\n\tfldenv %0\n\tstmxcsr %1" : "=m"(env), "=m"(mxcsr));
  return {env.control, env.tag, mxcsr};
}

void set_x87_control(std::uint16_t cw) { asm volatile("fldcw %0" : : "m"(cw)); }
void set_mxcsr(std::uint32_t m) { asm volatile("ldmxcsr %0" : : "m"(m)); }

// The environments, each applied after fesetround(mode) and cleared flags.
struct Environment {
  const char* name;
  int trap;  // the FE_ flag whose trap is enabled, or 0
  void (*apply)(int mode);
};

void precision(std::uint16_t pc) { set_x87_control(static_cast<std::uint16_t>((fp_state().control & ~0x300) | pc)); }

const Environment kEnvironments[] = {
    {"precision 24", 0, [](int) { precision(0x000); }},
    {"precision 53", 0, [](int) { precision(0x200); }},
    {"underflow trap", FE_UNDERFLOW, [](int) { feenableexcept(FE_UNDERFLOW); }},
    {"inexact trap", FE_INEXACT, [](int) { feenableexcept(FE_INEXACT); }},
    {"invalid trap", FE_INVALID, [](int) { feenableexcept(FE_INVALID); }},
    {"FTZ", 0, [](int) { set_mxcsr(fp_state().mxcsr | 0x8000); }},
    {"DAZ", 0, [](int) { set_mxcsr(fp_state().mxcsr | 0x0040); }},
    // MXCSR's rounding control three bits above the x87 one; XOR with 1, 2
    // and 3 pairs every mode with each of the other three.
    {"SSE rounding differs (^1)", 0,
     [](int mode) { set_mxcsr((fp_state().mxcsr & ~0x6000u) | ((mode ^ 0x400) << 3)); }},
    {"SSE rounding differs (^2)", 0,
     [](int mode) { set_mxcsr((fp_state().mxcsr & ~0x6000u) | ((mode ^ 0x800) << 3)); }},
    {"SSE rounding differs (^3)", 0,
     [](int mode) { set_mxcsr((fp_state().mxcsr & ~0x6000u) | ((mode ^ 0xC00) << 3)); }},
};

const double kSubnormal = std::numeric_limits<double>::denorm_min();
const double kInf = INFINITY;
const double kQuietNaN = from_bits(0x7FF8000000000123);
const double kSignallingNaN = from_bits(0x7FF4000000000ABC);

// Special, axis, subnormal and general arguments; each one reaches a path
// that a changed environment could break (comments name the path).
const struct {
  double x, y;
} kArguments[] = {
    // Specials whose sign decides the result: y subnormal (DAZ).
    {-kInf, -kSubnormal},
    {kInf, -kSubnormal},
    {-kInf, 3 * kSubnormal},
    {kInf, 2},
    // NaN rows: invalid for a signalling operand.
    {kQuietNaN, 1},
    {1, kSignallingNaN},
    {kSignallingNaN, 2},
    {-kInf, kQuietNaN},
    {kInf, kSignallingNaN},
    {kSignallingNaN, -kInf},
    // Real axis (one rounding), imaginary axis (rounded twice in csqrt_scalar).
    {4, 0},
    {-4, -0.0},
    {2, -0.0},
    {-2, 0},
    {-3, -0.0},
    {DBL_MAX, 0},
    {-DBL_MAX, -0.0},
    {0, 8},
    {-0.0, -2},
    {0, 3},
    {0, -DBL_MAX},
    {-0.0, 0},
    {0x1p-1022, -0.0},
    {0, 0x1p-1022},
    // sqrt(1 + 2^-52) lies just below the midpoint under 1 + 2^-52 (x = S(S-1)
    // for S = 2^52 + 1): an SSE root rounded upward is one step too high for
    // the x87 mode's nearest.
    {1 + 0x1p-52, 0},
    {-1 - 0x1p-52, -0.0},
    // A root just below s = S 2^k with S^2 - A = 1 (o = A 4^k, 2k = -1044):
    // the residual o - s^2 = -2^-1044 is subnormal, which FTZ would flush.
    {-0x1.0000000000002p-940, -0.0},
    // The same just above 2^-926 (2k = -1030): a root's residual there is
    // subnormal, so only arguments from 2^-916 up may take the path that
    // computes it.
    {-0x1.0000000000002p-926, 0},
    // Axes with a subnormal part.
    {kSubnormal, -0.0},
    {-kSubnormal, 0},
    {3 * kSubnormal, 0},
    {-5 * kSubnormal, -0.0},
    {0, kSubnormal},
    {-0.0, -3 * kSubnormal},
    {0, 0x1.8p-1023},
    {-0.0, -0x1p-1023},
    // Subnormal results and operands in the kernel; tininess boundaries.
    {4, 0x1p-1060},
    {-4, 0x1p-1070},
    {-4, -kSubnormal},
    {-4, -0x1p-1073},
    {kSubnormal, kSubnormal},
    {-kSubnormal, 3e-320},
    {4, 0x1p-1020},
    {4, 0x1.8p-1021},
    {0x1p-1073, 1},
    // General: exact roots, double rounding, the slow path's exact decision.
    {1, 1},
    {3, 4},
    {-3, 4},
    {-3, -5},
    {2, -3},
    {0.1, -0.7},
    {-DBL_MAX, DBL_MAX},
    {DBL_MAX, from_bits(0x399FB671ABF55062)},
    {0, from_bits(0x400119826714c7c7)},
    {1 + 0x1p-25, 0x1p-25 + 0x1p-51},
    {4, 0x1p-1000},
};

// What the SIGFPE handler saw.
struct Trap {
  std::uintptr_t address;
  std::uint16_t control;
  std::uint8_t abridged_tag;  // one bit per register in use
  std::uint32_t mxcsr;
};
sigjmp_buf g_jump;
Trap g_trap;

void on_sigfpe(int, siginfo_t*, void* context) {
  const auto* uc = static_cast<const ucontext_t*>(context);
  g_trap = {static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]), uc->uc_mcontext.fpregs->cwd,
            static_cast<std::uint8_t>(uc->uc_mcontext.fpregs->ftw), uc->uc_mcontext.fpregs->mxcsr};
  siglongjmp(g_jump, 1);
}

struct Observed {
  Outcome outcome;
  FpState before, after;
  bool trapped, returned_first;
};

// One call in the environment; a trap leaves by siglongjmp. A trap that the
// call left pending in the x87 unit fires at the fwait after the return,
// which the returned_first mark tells apart.
Observed call_in(CFunction f, double x, double y, int mode, const Environment& env) {
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  env.apply(mode);
  Observed o{};
  o.before = fp_state();
  volatile bool returned_first = false;
  if (sigsetjmp(g_jump, 1) == 0) {
    const ravo_c_complex w = f(ravo_to_c_complex({x, y}));
    returned_first = true;
    asm volatile("fwait");
    o.after = fp_state();
    o.outcome = {to_bits(__extension__ __real__ w), to_bits(__extension__ __imag__ w),
                 std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags};
  } else {
    o.trapped = true;
  }
  o.returned_first = returned_first;
  std::fesetenv(FE_DFL_ENV);
  return o;
}

std::uintptr_t library_base() {
  Dl_info info{};
  dladdr(dlsym(RTLD_DEFAULT, "csqrt_scalar"), &info);
  return reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

bool in_library(std::uintptr_t address) {
  Dl_info info{};
  return dladdr(reinterpret_cast<void*>(address), &info) != 0 &&
         reinterpret_cast<std::uintptr_t>(info.dli_fbase) == library_base();
}

// Binary32 arguments and results, exact in binary64 and moved between the
// formats by their bits, so that no conversion of the test's raises a flag,
// traps or meets FTZ or DAZ.
float narrowed(double d) {
  const std::uint64_t b = to_bits(d), fraction = b & ((std::uint64_t{1} << 52) - 1);
  const auto sign = static_cast<std::uint32_t>(b >> 63) << 31;
  const int e = static_cast<int>((b >> 52) & 0x7FF) - 1023;
  if (e == 1024) return std::bit_cast<float>(sign | 0x7F800000u | static_cast<std::uint32_t>(fraction >> 29));
  if (e == -1023) return std::bit_cast<float>(sign);  // zero: no binary64 subnormal here
  if (e >= -126)
    return std::bit_cast<float>(sign | static_cast<std::uint32_t>(e + 127) << 23 |
                                static_cast<std::uint32_t>(fraction >> 29));
  return std::bit_cast<float>(sign | static_cast<std::uint32_t>((fraction | std::uint64_t{1} << 52) >> (29 - 126 - e)));
}

double widened(float f) {
  const std::uint32_t b = std::bit_cast<std::uint32_t>(f);
  std::uint64_t sign = std::uint64_t{b >> 31} << 63, fraction = b & 0x7FFFFF;
  int e = static_cast<int>((b >> 23) & 0xFF);
  if (e == 255) return from_bits(sign | std::uint64_t{0x7FF} << 52 | fraction << 29);
  if (e == 0 && fraction == 0) return from_bits(sign);
  if (e == 0) {
    for (e = 1; (fraction & 0x800000) == 0; --e) fraction <<= 1;
    fraction &= 0x7FFFFF;
  }
  return from_bits(sign | static_cast<std::uint64_t>(e - 127 + 1023) << 52 | fraction << 29);
}

template <ravo_c_complex_float (*f)(ravo_c_complex_float)>
ravo_c_complex as_binary64(ravo_c_complex z) {
  __extension__ ravo_c_complex_float a;
  __extension__ __real__ a = narrowed(__extension__ __real__ z);
  __extension__ __imag__ a = narrowed(__extension__ __imag__ z);
  const ravo_c_complex_float w = f(a);
  return ravo_to_c_complex({widened(__extension__ __real__ w), widened(__extension__ __imag__ w)});
}

template <CFunction f>
Outcome in_default_environment(double x, double y, int mode) {
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  const ravo_c_complex w = f(ravo_to_c_complex({x, y}));
  const Outcome o{to_bits(__extension__ __real__ w), to_bits(__extension__ __imag__ w),
                  std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags};
  std::fesetround(FE_TONEAREST);
  return o;
}

// Binary32 values, each reaching a path a changed environment could break.
const struct {
  double x, y;
} kBinary32Arguments[] = {
    // Subnormal parts (DAZ would read them as zero), exact and not.
    {0, 0x1p-149},
    {0x1p-149, 0},
    {-0x1p-140, 0x1.8p-135},
    {3, 0x1p-149},
    // Tiny parts (FTZ would flush them), and one a hair below 2^-126 that
    // rounds up to it to nearest.
    {1, 0x1p-140},
    {-4, -0x1p-130},
    {1, 0x1p-125},
    // Exact roots (an inexact trap must not fire), rounded ones, the ends.
    {3, 4},
    {-3, -4},
    // (2^23 - 1 + i)^2: exact, though the kernel's |z|^2 rounds.
    {0x1.fffff8p45, 0x1.fffffcp23},
    {-4, 0},
    {0, 8},
    {1.5, -2.25},
    {0x1.fffffep127, 0x1.fffffep127},
    {-0x1p-126, 0x1p127},
    // Specials: invalid for a signalling NaN only.
    {kInf, from_bits(0x7FF4000020000000)},
    {from_bits(0x7FF8000020000000), -kInf},
    {-kInf, 0x1p-149},
};

// fixed_mode: the function rounds in that mode (an FE_ value) whatever the
// thread's, and may set it in the library's words while it runs, so a trap
// sees the caller's control words but for their rounding fields; -1 for the
// functions that follow the thread's mode. scoped: a function following the
// thread's mode that still calls into such scopes (the binary32 ones).
template <typename Arguments = decltype(kArguments)>
void check_every_environment(CFunction f, Outcome (*in_default)(double, double, int), int fixed_mode = -1,
                             const Arguments& arguments = kArguments, bool scoped = false) {
  constexpr std::uint16_t kX87Rounding = 0x0C00;
  constexpr std::uint32_t kSseRounding = 0x6000;
  const bool exact_control = fixed_mode < 0 && !scoped;
  const std::uint16_t control_at_trap = exact_control ? 0xFFFF : static_cast<std::uint16_t>(~kX87Rounding);
  const std::uint32_t mxcsr_at_trap = exact_control ? kMxcsrControls : kMxcsrControls & ~kSseRounding;
  struct sigaction action {
  }, previous{};
  action.sa_sigaction = on_sigfpe;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(sigaction(SIGFPE, &action, &previous), 0);
  ASSERT_NE(library_base(), 0u);
  for (const auto& a : arguments) {
    for (int mode : kRoundingModes) {
      for (const Environment& env : kEnvironments) {
        const Outcome want = in_default(a.x, a.y, fixed_mode < 0 ? mode : fixed_mode);
        SCOPED_TRACE(testing::Message() << std::hexfloat << a.x << " " << a.y << " " << mode_name(mode) << ", "
                                        << env.name << ", default " << want);
        const Observed o = call_in(f, a.x, a.y, mode, env);
        if (env.trap != 0) {
          EXPECT_EQ(o.trapped, (want.flags & env.trap) != 0);
          if (o.trapped) {
            EXPECT_FALSE(o.returned_first) << "trap fired after the call returned";
            EXPECT_TRUE(in_library(g_trap.address)) << "trap outside the library";
            EXPECT_EQ(g_trap.control & control_at_trap, o.before.control & control_at_trap);
            EXPECT_EQ(g_trap.mxcsr & mxcsr_at_trap, o.before.mxcsr & mxcsr_at_trap);
            EXPECT_EQ(g_trap.abridged_tag, 0) << "x87 registers in use at the trap";
            continue;
          }
        }
        ASSERT_FALSE(o.trapped) << "unexpected trap";
        EXPECT_EQ(o.outcome, want);
        EXPECT_EQ(o.after.control, o.before.control);
        EXPECT_EQ(o.after.mxcsr & kMxcsrControls, o.before.mxcsr & kMxcsrControls);
        EXPECT_EQ(o.after.tag, kAllEmpty);
      }
    }
  }
  sigaction(SIGFPE, &previous, nullptr);
}

TEST(Environment, CsqrtAsInTheDefaultEnvironment) { check_every_environment(csqrt_scalar, run_csqrt); }

// Whichever path runs (the suite runs once more with the x87 path forced).
TEST(Environment, CrCsqrtAsInTheDefaultEnvironment) { check_every_environment(cr_csqrt_scalar, run_cr_csqrt); }

// The array function on eight copies of z, as many as the widest vector
// has lanes: the vector work must give way where it cannot promise the
// scalar result (a trap enabled, the SSE mode apart from the x87 one).
template <void (*batch)(size_t, const ravo_c_complex*, ravo_c_complex*)>
ravo_c_complex batch_of_eight(ravo_c_complex z) {
  ravo_c_complex in[8], out[8];
  for (auto& v : in) v = z;
  batch(8, in, out);
  return out[0];
}

TEST(Environment, CrCsqrtBatchAsInTheDefaultEnvironment) {
  check_every_environment(batch_of_eight<cr_csqrt_batch>, run_cr_csqrt);
}

// The fixed directions, one value and arrays, in every thread mode: as
// cr_csqrt_scalar in the default environment in their own mode.

TEST(Environment, FixedDirectionsAsInTheDefaultEnvironment) {
  check_every_environment(cr_csqrt_rn, run_cr_csqrt, FE_TONEAREST);
  check_every_environment(cr_csqrt_rd, run_cr_csqrt, FE_DOWNWARD);
  check_every_environment(cr_csqrt_ru, run_cr_csqrt, FE_UPWARD);
  check_every_environment(cr_csqrt_rz, run_cr_csqrt, FE_TOWARDZERO);
  check_every_environment(batch_of_eight<cr_csqrt_batch_rd>, run_cr_csqrt, FE_DOWNWARD);
  check_every_environment(batch_of_eight<cr_csqrt_batch_ru>, run_cr_csqrt, FE_UPWARD);
}

// The binary32 functions, one value and arrays, in the thread's mode and
// in fixed directions.
template <void (*batch)(size_t, const ravo_c_complex_float*, ravo_c_complex_float*)>
ravo_c_complex_float binary32_batch_of_sixteen(ravo_c_complex_float z) {
  ravo_c_complex_float in[16], out[16];
  for (auto& v : in) v = z;
  batch(16, in, out);
  return out[0];
}

TEST(Environment, Binary32AsInTheDefaultEnvironment) {
  constexpr CFunction scalar = as_binary64<cr_csqrtf_scalar>, rd = as_binary64<cr_csqrtf_rd>;
  check_every_environment(scalar, in_default_environment<scalar>, -1, kBinary32Arguments, true);
  check_every_environment(as_binary64<binary32_batch_of_sixteen<cr_csqrtf_batch>>, in_default_environment<scalar>, -1,
                          kBinary32Arguments, true);
  check_every_environment(rd, in_default_environment<rd>, FE_DOWNWARD, kBinary32Arguments);
  check_every_environment(as_binary64<binary32_batch_of_sixteen<cr_csqrtf_batch_ru>>,
                          in_default_environment<as_binary64<cr_csqrtf_ru>>, FE_UPWARD, kBinary32Arguments);
}

}  // namespace
}  // namespace ravo_test
