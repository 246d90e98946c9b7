#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmo {

// Decimal text without padding; a minus sign only for negative values.
std::string DecimalText(std::uint32_t value);
std::string DecimalText(std::int32_t value);

// Exactly eight lower-case hexadecimal digits, zero-padded on the left.
std::string ToHexText(std::uint32_t value);
// The same with upper-case digits, as checksum words are shown.
std::string ToUpperHexText(std::uint32_t value);

// One or more decimal digits and nothing else (leading zeros allowed), no
// more than maximum; nothing otherwise. Never as lenient as atoi.
std::optional<std::uint32_t> ParseDecimal(std::string_view text, std::uint32_t maximum);

}  // namespace velmo
