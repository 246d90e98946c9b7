#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "assets/data_block.h"
#include "assets/setup_file_entry.h"
#include "cartridge/region_layout.h"
#include "support/byte_buffer.h"

namespace velmo {

// Inflates the file-table block of the image into inflated21990, from the
// place given (North America's when none is). False when the image is too
// short to hold the block or the block does not inflate.
bool Load21990Data(std::span<const std::uint8_t> image, ByteBuffer& inflated21990,
                   const DataBlockPlace& place = NorthAmericanDataBlock());

// Finds the 21 level setup files in the inflated table, in table order, with
// the region's end bounds. A region whose entries have no fixed place has
// them searched for: the first word-aligned run of entries for assets 617 to
// 637 followed by 638. The table is refused (false, setupFiles left empty)
// when its first entry is not Archives (or no such run is found), or when any
// entry is not a setup asset, repeats one, or places its file beyond its end
// bound or beyond the image.
bool ProcessFileTable(std::span<const std::uint8_t> inflated21990, std::uint64_t imageSize,
                      std::vector<SetupFileEntry>& setupFiles,
                      const RegionLayout& region = region::kNorthAmerica);

// Where the text-bank entries start in the table: directly after the 21
// setup entries, in every region. setupFiles must not be empty.
std::uint32_t TextEntriesPosition(const std::vector<SetupFileEntry>& setupFiles);

}  // namespace velmo
