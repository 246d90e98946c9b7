#include "assets/data_block.h"

#include <string>

#include "cartridge/address_function.h"
#include "support/logger.h"

namespace velmo {
namespace {

// The game's blocks fill some 70 KiB; a room far beyond that is no block of
// the game's, and inflating it would take twenty times its size.
constexpr std::uint32_t kMostRoom = 0x100000;

}  // namespace

DataBlockPlace NorthAmericanDataBlock() {
  const DataBlockLayout& block = region::kNorthAmerica.dataBlock;
  return {block.offset, block.fixedRoom.value_or(0)};
}

std::optional<DataBlockPlace> LocateDataBlock(std::span<const std::uint8_t> image,
                                              const RegionLayout& region) {
  const DataBlockLayout& block = region.dataBlock;
  if (block.fixedRoom) return DataBlockPlace{block.offset, *block.fixedRoom};
  const std::optional<std::uint32_t> start = ReturnedAddress(image, kDataBlockStartFunction);
  const std::optional<std::uint32_t> end = ReturnedAddress(image, kDataBlockEndFunction);
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
