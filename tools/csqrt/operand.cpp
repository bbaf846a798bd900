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

constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
constexpr std::uint64_t kNanExponent = 0x7FF0000000000000;

bool starts_with_ignoring_case(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

// body is what follows the sign. nan, snan, nan(P), snan(P); the payload
// stays below the quiet bit, and a signalling NaN needs a non-zero one.
Number parse_nan(std::string_view body, bool negative) {
  const bool signalling = starts_with_ignoring_case(body, "snan");
  body.remove_prefix(signalling ? 4 : 3);
  std::uint64_t payload = signalling ? kDefaultSignallingNan & (kQuietBit - 1) : 0;
  if (!body.empty()) {
    if (body.front() != '(' || body.back() != ')' || body.size() < 2) return {};
    const std::string digits(body.substr(1, body.size() - 2));
    if (!digits.empty()) {
      if (!std::isdigit(static_cast<unsigned char>(digits[0]))) return {Number::bad, 0, "the payload is not a number"};
      char* end = nullptr;
      errno = 0;
      payload = std::strtoull(digits.c_str(), &end, 0);
      if (end != digits.c_str() + digits.size()) return {Number::bad, 0, "the payload is not a number"};
      if (errno != 0 || payload >= kQuietBit)
        return {Number::bad, 0, "the payload is above 0x7ffffffffffff, the largest below the quiet bit"};
      if (signalling && payload == 0)
        return {Number::bad, 0, "a signalling NaN needs a non-zero payload (0 is infinity's pattern)"};
    }
  }
  const std::uint64_t sign = negative ? std::uint64_t{1} << 63 : 0;
  return {Number::ok, std::bit_cast<double>(sign | kNanExponent | (signalling ? 0 : kQuietBit) | payload)};
}

}  // namespace

// A finite literal or inf converted once by strtod or strtof, to nearest:
// decimal conversion must not depend on a rounding mode left by a caller.
template <typename Real>
NumberOf<Real> converted(std::string_view token, Real (*convert)(const char*, char**)) {
  const std::string text(token);
  // strtod skips leading blanks; a token with them is not a number.
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return {};
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  errno = 0;
  char* end = nullptr;
  const Real value = convert(text.c_str(), &end);
  const bool overflowed = errno == ERANGE && std::isinf(value);
  std::fesetround(mode);
  if (end != text.c_str() + text.size()) return {};
  return {overflowed ? NumberStatus::out_of_range : NumberStatus::ok, value};
}

Number parse_number(std::string_view token) {
  std::string_view body = token;
  const bool negative = !body.empty() && body[0] == '-';
  if (!body.empty() && (body[0] == '-' || body[0] == '+')) body.remove_prefix(1);
  // strtod gives no way to write a signalling NaN, and its payload syntax
  // depends on the C library; NaNs are read here.
  if (starts_with_ignoring_case(body, "nan") || starts_with_ignoring_case(body, "snan"))
    return parse_nan(body, negative);

  return converted<double>(token, std::strtod);
}

Number32 parse_number32(std::string_view token) {
  std::string_view body = token;
  if (!body.empty() && (body[0] == '-' || body[0] == '+')) body.remove_prefix(1);
  if (starts_with_ignoring_case(body, "nan") || starts_with_ignoring_case(body, "snan")) {
    // Read as binary64's NaN, then moved to binary32's fields: the payload
    // must fit below binary32's quiet bit.
    const Number n = parse_number(token);
    if (n.status != Number::ok) return {n.status, 0, n.why};
    const auto bits = std::bit_cast<std::uint64_t>(n.value);
    const bool quiet = bits & kQuietBit;
    std::uint64_t payload = bits & (kQuietBit - 1);
    if (!quiet && payload == (kDefaultSignallingNan & (kQuietBit - 1))) payload = kDefaultSignallingNan32 & 0x3FFFFF;
    if (payload > 0x3FFFFF)
      return {Number::bad, 0, "the payload is above 0x3fffff, the largest below binary32's quiet bit"};
    const std::uint32_t bits32 = static_cast<std::uint32_t>(bits >> 63) << 31 | 0x7F800000u | (quiet ? 0x400000u : 0) |
                                 static_cast<std::uint32_t>(payload);
    return {Number::ok, std::bit_cast<float>(bits32)};
  }
  // strtof rounds once, to nearest; through strtod the decimal would be
  // rounded twice.
  return converted<float>(token, std::strtof);
}

std::optional<float> parse_bits32(std::string_view token) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) token.remove_prefix(2);
  if (token.size() > 8) return std::nullopt;
  const auto v = parse_bits(token);
  if (!v) return std::nullopt;
  return std::bit_cast<float>(static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(*v)));
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
    if (name.size() == std::string_view(mode.name).size() && starts_with_ignoring_case(name, mode.name)) return mode.fe;
  return std::nullopt;
}

}  // namespace ravo_cli
