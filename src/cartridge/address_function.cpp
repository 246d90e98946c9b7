#include "cartridge/address_function.h"

#include "support/buffer_words.h"

namespace velmo {
namespace {

constexpr std::uint32_t kLoadUpperV0 = 0x3C020000;
constexpr std::uint32_t kReturn = 0x03E00008;
constexpr std::uint32_t kAddImmediateV0 = 0x24420000;
constexpr std::uint32_t kOpcodeMask = 0xFFFF0000;

}  // namespace

std::array<std::uint32_t, 3> AddressFunctionWords(std::uint32_t address) {
  const std::uint32_t upper = ((address + 0x8000) >> 16) & 0xFFFF;
  return {kLoadUpperV0 | upper, kReturn, kAddImmediateV0 | (address & 0xFFFF)};
}

std::optional<std::uint32_t> ReturnedAddress(std::span<const std::uint8_t> image,
                                             std::uint32_t offset) {
  if (image.size() < std::uint64_t{offset} + kAddressFunctionLength) return std::nullopt;
  const std::uint32_t upper = LoadBigEndian32(&image[offset]);
  const std::uint32_t jump = LoadBigEndian32(&image[offset + 4]);
  const std::uint32_t add = LoadBigEndian32(&image[offset + 8]);
  if ((upper & kOpcodeMask) != kLoadUpperV0 || jump != kReturn ||
      (add & kOpcodeMask) != kAddImmediateV0) {
    return std::nullopt;
  }
  const auto low = static_cast<std::int16_t>(add & 0xFFFF);
  return (upper << 16) + static_cast<std::uint32_t>(std::int32_t{low});
}

}  // namespace velmo
