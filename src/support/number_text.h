#pragma once

#include <cstdint>
#include <string>

namespace velmo {

// Decimal text without padding; a minus sign only for negative values.
std::string DecimalText(std::uint32_t value);
std::string DecimalText(std::int32_t value);

// Exactly eight lower-case hexadecimal digits, zero-padded on the left.
std::string ToHexText(std::uint32_t value);
// The same with upper-case digits, as checksum words are shown.
std::string ToUpperHexText(std::uint32_t value);

}  // namespace velmo
