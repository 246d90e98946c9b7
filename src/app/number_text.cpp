#include "app/number_text.h"

namespace velmo {

std::string DecimalText(std::uint32_t value) {
  return std::to_string(value);
}

std::string DecimalText(std::int32_t value) {
  return std::to_string(value);
}

std::string ToHexText(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i) {
    text[static_cast<size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

}  // namespace velmo
