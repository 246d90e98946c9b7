#pragma once

#include <cstdint>
#include <vector>

#include "cartridge/region_layout.h"
#include "image_builder/image_builder.h"
#include "image_builder/image_layout.h"
#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

// The good synthetic image of each region that the table and pipeline fuzzers
// start from, with its file table and setup files already inflated, and the
// places in it the fuzzers aim at.
namespace velmo::fuzz {

struct BaseSetup {
  LevelId levelId;
  std::uint32_t romOffset;
  std::uint32_t space;  // bytes up to the file's end bound
  int memLevel;
  ByteBuffer plain;  // the inflated file
};

// One region's good image. Its region and places point at the static tables
// of cartridge/region_layout.h, which outlive it.
struct BaseImage {
  const RegionLayout* region = nullptr;
  image_builder::ImagePlaces places;  // the table block's offset and room
  ByteBuffer bytes;                   // the whole cartridge image
  ByteBuffer table;                   // the inflated file table
  std::vector<BaseSetup> setups;      // in file-table order
  // In the inflated table: the setup entries, followed directly by the text
  // entries, which end at textEntriesEnd.
  std::uint32_t setupEntriesPosition = 0;
  std::uint32_t textEntriesPosition = 0;
  std::uint32_t textEntriesEnd = 0;
  std::uint32_t keptTextTotal = 0;  // bytes of the banks the region reads
};

// The options of a region's good image: small layout, content seed 1. Bad
// variants (North American only) differ from it only where their fault lies.
image_builder::ImageOptions BaseImageOptions(
    image_builder::ImageFault fault = image_builder::ImageFault::kNone,
    const RegionLayout& region = region::kNorthAmerica);

// Built on first use and kept for the process, one per region.
const BaseImage& GetBaseImage(const RegionLayout& region = region::kNorthAmerica);

// The region two bits of an input pick: 0 North America (so that inputs
// written before the other regions keep their meaning), 1 Europe, 2 Japan,
// 3 North America again.
const RegionLayout& RegionFromBits(std::uint8_t bits);
// The bits that pick the region, for the seed corpora.
std::uint8_t RegionBits(const RegionLayout& region);

}  // namespace velmo::fuzz
