#pragma once

#include <cstdint>

#include "cartridge/region_layout.h"

// Where the parts of a synthetic cartridge image lie. The places the game
// fixes (file-table block, setup files, text region) come from the region's
// table of figures; where the game publishes none (the room of the block in
// the regions whose boot code names it, the place of the entries in their
// table) and for the start of North America's first setup file, the builder
// makes its own choice.
namespace velmo::image_builder {

inline constexpr std::uint32_t kImageSize = 0xC00000;

// Cartridge header and boot code.
inline constexpr std::uint32_t kHeaderChecksumOffset = 0x10;
inline constexpr std::uint32_t kInternalNameOffset = 0x20;
inline constexpr std::uint32_t kInternalNameLength = 20;
inline constexpr std::uint32_t kGameCodeOffset = 0x3B;
inline constexpr std::uint32_t kVersionOffset = 0x3F;
inline constexpr std::uint32_t kBootCodeOffset = 0x40;
inline constexpr std::uint32_t kBootCodeEnd = 0x1000;

inline constexpr int kTableMemLevel = 3;

// Inside the inflated table: one 12-byte entry per asset, asset N at
// assetEntriesOffset + 12 * N (identifier, a word Velmo does not read, image
// offset). The setup files are assets 617 to 637, the text banks 638 on
// (kFirstTextAssetId).
inline constexpr std::uint32_t kTableEntrySize = 12;
inline constexpr std::uint32_t kFirstSetupAssetId = 617;
inline constexpr std::uint32_t kLastAssetId = 799;

// The first North American setup file (Archives) starts here, later than the
// game's own; every later one starts right after the previous file's end
// bound.
inline constexpr std::uint32_t kFirstSetupOffset = 0x8AC000;

// The places of one region's image. The region points at one of the static
// tables of cartridge/region_layout.h, which outlive every ImagePlaces.
struct ImagePlaces {
  const RegionLayout* region = nullptr;
  std::uint32_t tableBlockOffset = 0;
  std::uint32_t tableBlockEnd = 0;    // as the boot code names it
  std::uint32_t tableBlockSpace = 0;  // end - start - 1
  std::uint32_t assetEntriesOffset = 0;
  std::uint32_t firstSetupOffset = 0;

  std::uint32_t EntryPosition(std::uint32_t assetId) const {
    return assetEntriesOffset + kTableEntrySize * assetId;
  }
  std::uint32_t SetupEntriesOffset() const { return EntryPosition(kFirstSetupAssetId); }
  std::uint32_t TextEntriesOffset() const { return EntryPosition(kFirstTextAssetId); }
  std::uint32_t TextGroupSize() const { return kTableEntrySize * region->text.banksPerGroup; }
  std::uint32_t TextEntriesEnd() const {
    return TextEntriesOffset() + TextGroupSize() * kTextGroupCount;
  }
};

ImagePlaces PlacesFor(const RegionLayout& region);

}  // namespace velmo::image_builder
