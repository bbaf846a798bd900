#include "operand.h"

#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "call_in_mode.h"

namespace ravo_cli {
namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

}  // namespace

std::optional<double> parse_number(std::string_view token) {
  bool negative = false;
  std::string_view body = token;
  if (!body.empty() && (body[0] == '-' || body[0] == '+')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  // strtod gives no way to write a signalling NaN.
  if (equals_ignoring_case(body, "snan"))
    return std::bit_cast<double>(std::uint64_t{negative ? 0xFFF4000000000000 : 0x7FF4000000000000});

  const std::string text(token);
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
  // Decimal conversion must not depend on a rounding mode left by a caller.
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  const bool overflowed = errno == ERANGE && std::isinf(value);
  std::fesetround(mode);
  if (end != text.c_str() + text.size() || overflowed) return std::nullopt;
  return value;
}

std::optional<double> parse_bits(std::string_view token) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) token.remove_prefix(2);
  if (token.empty() || token.size() > 16) return std::nullopt;
  std::uint64_t bits = 0;
  for (char c : token) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                      : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                  : -1;
    if (digit < 0) return std::nullopt;
    bits = bits << 4 | static_cast<unsigned>(digit);
  }
  return std::bit_cast<double>(bits);
}

std::optional<int> parse_rounding(std::string_view name) {
  for (const auto& mode : ravo_tools::kRoundingModes)
    if (name == mode.name) return mode.fe;
  return std::nullopt;
}

}  // namespace ravo_cli
