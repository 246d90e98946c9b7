#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "support/byte_buffer.h"

namespace velmo {

class ConfigFile;

// One English/Japanese pair of in-level text banks. An English bank runs from
// its offset to its Japanese bank's offset, the Japanese bank from there to
// the next pair's English offset.
struct TextBankPair {
  std::uint32_t ePosition = 0;  // table offset of the English image-offset word
  std::uint32_t jPosition = 0;  // table offset of the Japanese image-offset word
  std::uint32_t eOffset = 0;
  std::uint32_t jOffset = 0;
  ByteBuffer eText;
};

inline constexpr std::uint32_t kTextBankPairCount = 44;

// What is kept of an English bank once it has been moved: where the table
// holds its offsets, and its length and CRC-32, so that the bank can be found
// and checked again without a copy of its bytes.
struct MovedTextBank {
  std::uint32_t ePosition = 0;
  std::uint32_t jPosition = 0;
  std::uint32_t length = 0;
  std::uint32_t crc32 = 0;
};

// Empties every Japanese bank: clears the text region and writes the English
// banks back packed against its end, rewriting their offsets in the table.
// movedBanks receives one record per pair, in table order. Every check runs
// before anything is written; on false, image and table are untouched and
// movedBanks is empty.
bool StripOutJapaneseText(std::span<std::uint8_t> image, ByteBuffer& inflated21990,
                          const ConfigFile& config, std::vector<MovedTextBank>& movedBanks);

// The lowest English bank offset the table holds: where the space freed for
// the setup files ends once the text has been repacked.
std::uint32_t LowestEnglishBankOffset(std::span<const std::uint8_t> inflated21990);

}  // namespace velmo
