#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "cartridge/region_layout.h"

namespace velmo {

// Where an image keeps its compressed file-table block, and how many bytes a
// rewritten block may fill there. Past the room lies the game's own
// decompressor, which nothing may touch.
struct DataBlockPlace {
  std::uint32_t offset = 0;
  std::uint32_t room = 0;
};

// The North American block: at 0x21990, with 0x11BFF bytes of room.
DataBlockPlace NorthAmericanDataBlock();

// The block of the region's image. A region without a fixed room takes it
// from the boot code, whose functions name the block's start and end; an
// image whose boot code says otherwise than the region is refused (logged,
// nothing returned), because it is not a cartridge image of that region.
std::optional<DataBlockPlace> LocateDataBlock(std::span<const std::uint8_t> image,
                                              const RegionLayout& region);

}  // namespace velmo
