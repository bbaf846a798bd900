#include "text.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "operand.h"

namespace ravo_cli {

std::string echo_number(double v) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
  if ((bits << 1) > 0xFFE0000000000000) {
    const bool quiet = bits & kQuietBit;
    const std::uint64_t payload = bits & (kQuietBit - 1);
    const std::uint64_t plain_payload = quiet ? 0 : kDefaultSignallingNan & (kQuietBit - 1);
    std::string s = bits >> 63 ? "-" : "";
    s += quiet ? "nan" : "snan";
    if (payload != plain_payload) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "(0x%llx)", static_cast<unsigned long long>(payload));
      s += buf;
    }
    return s;
  }
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  return std::string(buf, end);
}

std::string echo_number(float v) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(v);
  constexpr std::uint32_t kQuietBit = 0x400000;
  if ((bits << 1) > 0xFF000000u) {
    const bool quiet = bits & kQuietBit;
    const std::uint32_t payload = bits & (kQuietBit - 1);
    const std::uint32_t plain_payload = quiet ? 0 : kDefaultSignallingNan32 & (kQuietBit - 1);
    std::string s = bits >> 31 ? "-" : "";
    s += quiet ? "nan" : "snan";
    if (payload != plain_payload) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "(0x%x)", static_cast<unsigned>(payload));
      s += buf;
    }
    return s;
  }
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  return std::string(buf, end);
}

std::string quote_token(std::string_view token) {
  std::string s = "'";
  for (std::size_t i = 0; i < token.size() && i < kMaxShownBytes; ++i) {
    const auto c = static_cast<unsigned char>(token[i]);
    if (c == '\'' || c == '\\') {
      s += '\\';
      s += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      s += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      s += buf;
    }
  }
  s += '\'';
  if (token.size() > kMaxShownBytes) s += "... (" + std::to_string(token.size()) + " bytes)";
  return s;
}

}  // namespace ravo_cli
