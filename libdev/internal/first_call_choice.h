// One of a few implementations, chosen once per process at the first call:
// the first in order of preference that the CPU can run, or, for tests and
// benchmarks, the one an environment variable names (or the next one after
// it that runs). It is made at the first call rather than at load time so
// that it may read the environment; later calls read one atomic pointer.
// cr_csqrt_scalar's path and cr_csqrt_batch's vector target are chosen here.
#ifndef RAVO_FIRST_CALL_CHOICE_H
#define RAVO_FIRST_CALL_CHOICE_H

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "target_namespace.h"

#if defined(__x86_64__)
#include "cpu_features.h"
#endif

RAVO_INTERNAL_BEGIN

// Option has a `name` and `bool (*runs)()`; the last option runs anywhere.
template <typename Option, std::size_t N>
class FirstCallChoice {
 public:
  constexpr FirstCallChoice(const Option (&options)[N], const char* variable)
      : options_(options), variable_(variable) {}

  // Relaxed: racing first calls store the same option, each a whole answer.
  const Option& get() {
    const Option* option = chosen_.load(std::memory_order_relaxed);
    if (option == nullptr) [[unlikely]] {
      option = choose();
      chosen_.store(option, std::memory_order_relaxed);
    }
    return *option;
  }

 private:
  const Option* choose() const {
#if defined(__x86_64__)
    init_cpu_features();
#endif
    const char* forced = std::getenv(variable_);
    std::size_t first = 0;
    for (std::size_t i = 0; forced != nullptr && i < N; ++i)
      if (std::strcmp(options_[i].name, forced) == 0) first = i;
    for (std::size_t i = first; i + 1 < N; ++i)
      if (options_[i].runs()) return &options_[i];
    return &options_[N - 1];
  }

  const Option (&options_)[N];
  const char* variable_;
  std::atomic<const Option*> chosen_{nullptr};
};

// For the option that runs anywhere.
inline bool runs_anywhere() { return true; }

RAVO_INTERNAL_END

#endif
