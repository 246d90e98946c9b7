#include "image_builder/cartridge_header.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "image_builder/image_layout.h"
#include "support/buffer_words.h"

namespace velmo::image_builder {
namespace {

// Byte order and bus timing, clock rate, boot address and library release, as
// any big-endian cartridge image starts.
constexpr std::array<std::uint32_t, 4> kLeadingWords = {0x80371240, 0x0000000F, 0x80000400,
                                                        0x00001444};

constexpr std::string_view kGameName = "GOLDENEYE";
constexpr std::string_view kOtherGameName = "VELMO TEST CART";
constexpr char kOtherRegionLetter = 'P';

void WriteName(std::span<std::uint8_t> image, std::string_view name) {
  std::span<std::uint8_t> field = image.subspan(kInternalNameOffset, kInternalNameLength);
  std::fill(field.begin(), field.end(), std::uint8_t{' '});
  std::copy(name.begin(), name.end(), field.begin());
}

}  // namespace

void WriteCartridgeHeader(std::span<std::uint8_t> image, ImageFault fault,
                          const RegionLayout& region) {
  std::fill(image.begin(), image.begin() + kBootCodeOffset, std::uint8_t{0});
  for (std::size_t word = 0; word < kLeadingWords.size(); ++word) {
    StoreBigEndian32(&image[4 * word], kLeadingWords[word]);
  }
  WriteName(image, fault == ImageFault::kWrongName ? kOtherGameName : kGameName);
  std::copy(region.gameCode.begin(), region.gameCode.end(), image.begin() + kGameCodeOffset);
  if (fault == ImageFault::kOtherRegion) image[kGameCodeOffset + 3] = kOtherRegionLetter;
  image[kVersionOffset] = fault == ImageFault::kNonZeroVersion ? 1 : 0;
}

}  // namespace velmo::image_builder
