#include "assets/data_block.h"

#include <string>

#include "support/buffer_words.h"
#include "support/logger.h"

namespace velmo {
namespace {

// Two 12-byte functions of the game's boot code return the block's start and
// its end, each as "lui v0, hi; jr ra; addiu v0, v0, lo", the same in every
// region's image.
constexpr std::uint32_t kBlockStartFunction = 0x10C8;
constexpr std::uint32_t kBlockEndFunction = 0x10D4;
constexpr std::uint32_t kFunctionLength = 12;
constexpr std::uint32_t kLoadUpperV0 = 0x3C020000;
constexpr std::uint32_t kReturn = 0x03E00008;
constexpr std::uint32_t kAddImmediateV0 = 0x24420000;
constexpr std::uint32_t kOpcodeMask = 0xFFFF0000;
// The game's blocks fill some 70 KiB; a room far beyond that is no block of
// the game's, and inflating it would take twenty times its size.
constexpr std::uint32_t kMostRoom = 0x100000;

// The address a boot-code function returns, when its words have that form.
// The add takes its 16 bits as a signed number.
std::optional<std::uint32_t> ReturnedAddress(std::span<const std::uint8_t> image,
                                             std::uint32_t function) {
  if (image.size() < std::uint64_t{function} + kFunctionLength) return std::nullopt;
  const std::uint32_t upper = LoadBigEndian32(&image[function]);
  const std::uint32_t jump = LoadBigEndian32(&image[function + 4]);
  const std::uint32_t add = LoadBigEndian32(&image[function + 8]);
  if ((upper & kOpcodeMask) != kLoadUpperV0 || jump != kReturn ||
      (add & kOpcodeMask) != kAddImmediateV0) {
    return std::nullopt;
  }
  const auto low = static_cast<std::int16_t>(add & 0xFFFF);
  return (upper << 16) + static_cast<std::uint32_t>(std::int32_t{low});
}

}  // namespace

DataBlockPlace NorthAmericanDataBlock() {
  const DataBlockLayout& block = region::kNorthAmerica.dataBlock;
  return {block.offset, block.fixedRoom.value_or(0)};
}

std::optional<DataBlockPlace> LocateDataBlock(std::span<const std::uint8_t> image,
                                              const RegionLayout& region) {
  const DataBlockLayout& block = region.dataBlock;
  if (block.fixedRoom) return DataBlockPlace{block.offset, *block.fixedRoom};
  const std::optional<std::uint32_t> start = ReturnedAddress(image, kBlockStartFunction);
  const std::optional<std::uint32_t> end = ReturnedAddress(image, kBlockEndFunction);
  // The space runs to the byte before the end the boot code names, which
  // lies before the setup files.
  if (!start || !end || *start != block.offset || *end <= *start + 1 ||
      *end - *start - 1 > kMostRoom || *end > region.setups.front().offset) {
    LogError("LoadInROM(): This image's data block is not where a " +
             std::string(region.adjective) + " GoldenEye keeps it");
    return std::nullopt;
  }
  return DataBlockPlace{*start, *end - *start - 1};
}

}  // namespace velmo
