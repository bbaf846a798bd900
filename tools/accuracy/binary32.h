// csqrt-accuracy --float: cr_csqrtf_scalar (or cr_csqrtf_batch, or the
// entries of a fixed direction) against MPC rounded to binary32, bits and
// flags, per binary32 input class and rounding mode, then on the binary32
// hard-case corpus.
#ifndef RAVO_ACCURACY_BINARY32_H
#define RAVO_ACCURACY_BINARY32_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ravo_accuracy {

struct Binary32Options {
  std::uint64_t samples;
  std::uint64_t seed;
  std::vector<int> modes;  // FE_ rounding modes
  unsigned threads;
  bool check;            // the exit status says whether every pair and flag was right
  bool batch;            // through cr_csqrtf_batch, checked against the scalar loop too
  bool fixed_direction;  // through cr_csqrtf_rn ... _rz, the thread in another mode
};

// Prints the report; returns the exit status (1 with check when a part is
// misrounded, a flag wrong or the array function differs from the loop).
int run_binary32(const Binary32Options& options);

}  // namespace ravo_accuracy

#endif
