#pragma once

#include <cstdint>

// Where the parts of a synthetic cartridge image lie. The places the game
// fixes (file-table block, table entries, text region) are the ones Velmo
// expects; the start of the first setup file is this generator's own choice.
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

// The compressed file-table block and the space it may fill.
inline constexpr std::uint32_t kTableBlockOffset = 0x21990;
inline constexpr std::uint32_t kTableBlockSpace = 0x11BFF;
inline constexpr int kTableMemLevel = 3;

// Inside the inflated table: one 12-byte entry per asset, asset N at
// kAssetEntriesOffset + 12 * N (identifier, a word Velmo does not read, image
// offset). The setup files are assets 617 to 637, the text banks 638 on.
inline constexpr std::uint32_t kTableEntrySize = 12;
inline constexpr std::uint32_t kAssetEntriesOffset = 0x252C4;
inline constexpr std::uint32_t kSetupEntriesOffset = 0x26FB0;
inline constexpr std::uint32_t kTextPairsOffset = 0x270AC;
inline constexpr std::uint32_t kTextPairSize = 24;
inline constexpr int kTextPairCount = 44;
inline constexpr std::uint32_t kFirstTextAssetId = 638;
inline constexpr std::uint32_t kLastAssetId = 799;

// The text banks: 44 English/Japanese pairs packed from the region start; the
// first and last pair lie at fixed places and the last English bank is 16
// bytes long, so the region ends at 0x8F7DE0.
inline constexpr std::uint32_t kTextRegionStart = 0x8E7410;
inline constexpr std::uint32_t kFirstJapaneseOffset = 0x8E7420;
inline constexpr std::uint32_t kLastEnglishOffset = 0x8F7DC0;
inline constexpr std::uint32_t kLastJapaneseOffset = 0x8F7DD0;
inline constexpr std::uint32_t kTextRegionEnd = 0x8F7DE0;

// The first setup file (Archives) starts here; every later one starts right
// after the previous file's end bound.
inline constexpr std::uint32_t kFirstSetupOffset = 0x8AC000;

}  // namespace velmo::image_builder
