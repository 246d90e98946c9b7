#pragma once

#include <cstdint>
#include <vector>

#include "image_builder/image_options.h"
#include "image_builder/level_content.h"
#include "image_builder/text_banks.h"
#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

// Builds synthetic cartridge images of the game for Velmo's tests, its demo
// run and its benchmarks: every structure Velmo reads is there, filled with
// generated content, and every other byte is pseudo-random so that a stray
// write shows.
namespace velmo::image_builder {

struct SetupReport {
  std::uint32_t assetId = 0;
  LevelId levelId = 0;
  std::uint32_t romOffset = 0;
  std::uint32_t space = 0;  // end bound minus romOffset
  std::uint32_t compressedSize = 0;
  std::uint32_t inflatedSize = 0;
  SetupNotes notes;
};

// What the builder made, for the tests to compare with what they read. The
// region points at one of the static tables of cartridge/region_layout.h.
struct ImageReport {
  const RegionLayout* region = nullptr;
  std::vector<SetupReport> setups;  // in file-table order
  std::uint32_t tableCompressedSize = 0;
  std::uint32_t tableInflatedSize = 0;
  std::uint32_t setupEntriesPosition = 0;  // of asset 617's entry in the inflated table
  std::vector<TextGroup> textGroups;       // the 44 groups as written, in table order
  std::uint32_t keptTextTotal = 0;         // of the banks the region reads
  int emptyKeptGroup = -1;                 // the group whose kept bank is empty
  std::uint32_t englishTextTotal = 0;
  int emptyEnglishPair = -1;  // the group whose English bank is empty, or -1
};

struct BuiltImage {
  ByteBuffer bytes;
  ImageReport report;
};

// Throws std::invalid_argument for a fault asked of an image other than a
// North American one.
BuiltImage BuildImage(const ImageOptions& options);

}  // namespace velmo::image_builder
