#include "support/number_text.h"

namespace velmo {

std::optional<std::uint32_t> ParseDecimal(std::string_view text, std::uint32_t maximum) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > maximum) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::string DecimalText(std::uint32_t value) {
  return std::to_string(value);
}

std::string DecimalText(std::int32_t value) {
  return std::to_string(value);
}

namespace {

std::string HexText(std::uint32_t value, const char (&kDigits)[17]) {
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i) {
    text[static_cast<size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

}  // namespace

std::string ToHexText(std::uint32_t value) {
  return HexText(value, "0123456789abcdef");
}

std::string ToUpperHexText(std::uint32_t value) {
  return HexText(value, "0123456789ABCDEF");
}

}  // namespace velmo
