// Parsing of the command-line operands: decimal and hex-float numbers, inf,
// nan and snan (either sign, with an optional payload) and raw 64-bit
// patterns.
#ifndef RAVO_CLI_OPERAND_H
#define RAVO_CLI_OPERAND_H

#include <cfenv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ravo_cli {

// A parsed operand of binary64 (Number) or binary32 (Number32).
enum class NumberStatus { ok, bad, out_of_range };
template <typename Real>
struct NumberOf {
  using Status = NumberStatus;
  static constexpr Status ok = Status::ok, bad = Status::bad, out_of_range = Status::out_of_range;
  Status status = bad;
  Real value = 0;
  // For a bad NaN, what is wrong with it; empty otherwise.
  std::string_view why = {};
};
using Number = NumberOf<double>;
using Number32 = NumberOf<float>;

// A number as written: the whole token, no blanks. A finite literal whose
// value rounds beyond the largest finite binary64 is out_of_range; one that
// rounds to a subnormal or to zero is ok. NaNs: nan, snan, nan(P), snan(P)
// with P the payload in decimal or 0x-hex (below 2^51, non-zero for snan);
// nan() and snan() are nan and snan, as strtod reads nan().
Number parse_number(std::string_view token);

// The same for a binary32 operand: decimals rounded once to binary32 (to
// nearest), out_of_range beyond binary32's largest finite; NaN payloads
// below 2^22, binary32's quiet bit.
Number32 parse_number32(std::string_view token);

// The bits `snan` stands for: the quiet bit clear, payload 2^50.
constexpr std::uint64_t kDefaultSignallingNan = 0x7FF4000000000000;

// A binary64 bit pattern of at most 16 hex digits, with or without 0x.
std::optional<double> parse_bits(std::string_view token);

// A binary32 bit pattern of at most 8 hex digits, with or without 0x.
std::optional<float> parse_bits32(std::string_view token);

// The bits `snan` stands for in binary32: the quiet bit clear, payload 2^21.
constexpr std::uint32_t kDefaultSignallingNan32 = 0x7FA00000;

// nearest, down, up, zero -> FE_TONEAREST, ...; in any letter case, as the
// operands are.
std::optional<int> parse_rounding(std::string_view name);

}  // namespace ravo_cli

#endif
