// Parsing of the command-line operands: decimal and hex-float numbers, inf,
// nan, snan (either sign) and raw 64-bit patterns.
#ifndef RAVO_CLI_OPERAND_H
#define RAVO_CLI_OPERAND_H

#include <cfenv>
#include <optional>
#include <string_view>

namespace ravo_cli {

// A number as written; std::nullopt when the token is not one (trailing
// characters, empty, or a finite literal too large for binary64).
std::optional<double> parse_number(std::string_view token);

// A binary64 bit pattern of at most 16 hex digits, with or without 0x.
std::optional<double> parse_bits(std::string_view token);

// nearest, down, up, zero -> FE_TONEAREST, ...
std::optional<int> parse_rounding(std::string_view name);

}  // namespace ravo_cli

#endif
