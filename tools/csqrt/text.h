// How the tool writes what it was given: operands on the echo line, and
// tokens inside error messages.
#ifndef RAVO_CLI_TEXT_H
#define RAVO_CLI_TEXT_H

#include <string>
#include <string_view>

namespace ravo_cli {

// The shortest decimal that reads back to the same bits; NaNs as nan, snan,
// nan(0xP), snan(0xP) with their sign, as parse_number reads them.
std::string echo_number(double v);
// The same for a binary32 value: the shortest decimal that reads back to it
// as binary32, NaN payloads as binary32 holds them.
std::string echo_number(float v);

// The token in single quotes, cut to its first kMaxShownBytes bytes (with
// the full length said after it), every byte outside printable ASCII and the
// quote and backslash escaped, so an error message stays one short line.
constexpr std::size_t kMaxShownBytes = 40;
std::string quote_token(std::string_view token);

}  // namespace ravo_cli

#endif
