#pragma once

#include <cstdint>
#include <vector>

#include "assets/file_table_layout.h"
#include "cartridge/region_layout.h"
#include "level/level_catalogue.h"
#include "support/buffer_words.h"
#include "support/byte_buffer.h"

namespace velmo::testing {

// A hand-made inflated file table and a 12 MiB image around it: the 21 setup
// entries pointing at their spaces, and the 44 text pairs with the given
// English bank lengths (Japanese banks fill the rest of each pair's space).
struct TableFixture {
  static constexpr std::uint32_t kRegionStart = 0x8E7410;
  static constexpr std::uint32_t kRegionEnd = 0x8F7DE0;

  TableFixture() : image(0xC00000), table(0x27600) {
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::uint32_t start = 0x8AB000;
    for (std::uint32_t k = 0; k < kSetupFiles.size(); ++k) {
      const std::uint32_t entry = kSetupEntriesStart + 12 * k;
      StoreBigEndian32(&table[entry], kSetupFiles[k].assetId);
      StoreBigEndian32(&table[entry + 8], start);
      start = region::kNorthAmerica.setups[k].endBound + 1;
    }
    SetEnglishLengths(DefaultEnglishLengths());
  }

  // Lengths chosen so the first and last banks sit at their fixed places.
  static std::vector<std::uint32_t> DefaultEnglishLengths() {
    std::vector<std::uint32_t> lengths(44);
    for (std::uint32_t k = 0; k < 44; ++k) lengths[k] = 40 + 37 * k;
    lengths[0] = 16;
    lengths[7] = 0;
    lengths[43] = 16;
    return lengths;
  }

  void SetEnglishLengths(const std::vector<std::uint32_t>& lengths) {
    englishLengths = lengths;
    const std::uint32_t pairSpace = (0x8F7DC0 - kRegionStart) / 43;
    for (std::uint32_t k = 0; k < 44; ++k) {
      const std::uint32_t pair = kTextPairsStart + 24 * k;
      const std::uint32_t english = k == 43 ? 0x8F7DC0 : kRegionStart + pairSpace * k;
      StoreBigEndian32(&table[pair], 638 + 2 * k);
      StoreBigEndian32(&table[pair + 8], english);
      StoreBigEndian32(&table[pair + 12], 639 + 2 * k);
      StoreBigEndian32(&table[pair + 20], english + lengths[k]);
      for (std::uint32_t b = 0; b < lengths[k]; ++b) {
        image[english + b] = static_cast<std::uint8_t>('A' + (k + b) % 26);
      }
    }
  }

  std::uint32_t Word(std::uint32_t offset) const { return LoadBigEndian32(&table[offset]); }
  void SetWord(std::uint32_t offset, std::uint32_t value) {
    StoreBigEndian32(&table[offset], value);
  }

  ByteBuffer image;
  ByteBuffer table;
  std::vector<std::uint32_t> englishLengths;
};

}  // namespace velmo::testing
