#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "assets/file_table_layout.h"
#include "cartridge/region_layout.h"
#include "support/byte_buffer.h"

namespace velmo {

class ConfigFile;

// Where a region's text-bank entries are: the layout of its groups and the
// table offset of the first group's first entry.
struct TextBankTable {
  const TextLayout* layout = &region::kNorthAmerica.text;
  std::uint32_t entriesPosition = kTextPairsStart;
};

// One group of in-level text banks (two or three, by region). A bank runs from
// its offset to the next bank's offset; the last bank of the last group runs
// to the region's end. The group keeps a copy of the bank the region reads.
struct TextBankGroup {
  std::uint32_t firstPosition = 0;  // table offset of the first bank's image-offset word
  std::vector<std::uint32_t> offsets;
  ByteBuffer keptText;
};

inline constexpr std::uint32_t kTextBankPairCount = kTextGroupCount;

// What is kept of the bank the region reads once it has been moved: where the
// table holds its offset, and its length and CRC-32, so that it can be found
// and checked again without a copy of its bytes.
struct MovedTextBank {
  std::uint32_t keptPosition = 0;
  std::uint32_t length = 0;
  std::uint32_t crc32 = 0;
};

// Empties every bank the region never reads: clears the text region and
// writes the banks it reads back packed against its end, rewriting every
// bank's offset in the table so that the others have no contents.
// movedBanks receives one record per group, in table order. Every check runs
// before anything is written; on false, image and table are untouched and
// movedBanks is empty.
bool StripOutJapaneseText(std::span<std::uint8_t> image, ByteBuffer& inflated21990,
                          const ConfigFile& config, std::vector<MovedTextBank>& movedBanks,
                          const TextBankTable& banks = {});

// The lowest offset of a bank the region reads that the table holds: where
// the space freed for the setup files ends once the text has been repacked.
std::uint32_t LowestKeptBankOffset(std::span<const std::uint8_t> inflated21990,
                                   const TextBankTable& banks = {});

}  // namespace velmo
