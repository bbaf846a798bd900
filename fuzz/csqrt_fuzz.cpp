// libFuzzer target: 16 bytes are (x, y); a 17th byte, when present, picks the
// rounding mode, otherwise the bytes' sum does. Every bit pattern is an
// argument; the checks are fuzz_checks.h's.
#include <cstdint>
#include <cstring>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 16) return 0;
  std::uint64_t bx, by;
  std::memcpy(&bx, data, 8);
  std::memcpy(&by, data + 8, 8);
  unsigned selector = size > 16 ? data[16] : 0;
  if (size == 16)
    for (std::size_t i = 0; i < 16; ++i) selector += data[i];
  ravo_fuzz::check_argument(bx, by, ravo_tools::kRoundingModes[selector % 4].fe);
  return 0;
}
