#include "patch/bps_number.h"

#include <limits>

namespace velmo::bps {

namespace {
constexpr std::uint8_t kLowBits = 0x7f;
constexpr std::uint8_t kLastByte = 0x80;
constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
}  // namespace

void AppendNumber(ByteBuffer& out, std::uint64_t value) {
  for (;;) {
    const auto low = static_cast<std::uint8_t>(value & kLowBits);
    value >>= 7;
    if (value == 0) {
      out.push_back(kLastByte | low);
      return;
    }
    out.push_back(low);
    --value;
  }
}

std::size_t NumberSize(std::uint64_t value) {
  std::size_t size = 1;
  for (value >>= 7; value != 0; value >>= 7) {
    ++size;
    --value;
  }
  return size;
}

NumberRead ReadNumber(std::span<const std::uint8_t> bytes, std::size_t& offset,
                      std::uint64_t& value) {
  value = 0;
  std::uint64_t shift = 1;
  for (;;) {
    if (offset >= bytes.size()) return NumberRead::kCutShort;
    const std::uint8_t byte = bytes[offset++];
    const std::uint64_t part = byte & kLowBits;
    if (part > (kMost - value) / shift) return NumberRead::kTooLarge;
    value += part * shift;
    if (byte & kLastByte) return NumberRead::kRead;
    if (shift > (kMost >> 7)) return NumberRead::kTooLarge;
    shift <<= 7;
    if (value > kMost - shift) return NumberRead::kTooLarge;
    value += shift;
  }
}

}  // namespace velmo::bps
