#pragma once

#include <cstdint>
#include <vector>

#include "image_builder/image_builder.h"
#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

// The good synthetic image the table and pipeline fuzzers start from, with
// its file table and setup files already inflated.
namespace velmo::fuzz {

struct BaseSetup {
  LevelId levelId;
  std::uint32_t romOffset;
  std::uint32_t space;  // bytes up to the file's end bound
  int memLevel;
  ByteBuffer plain;  // the inflated file
};

struct BaseImage {
  ByteBuffer bytes;               // the whole cartridge image
  ByteBuffer table;               // the inflated file table
  std::vector<BaseSetup> setups;  // in file-table order
};

// The options of the good image: small layout, content seed 1. Bad variants
// built from them differ from it only where their fault lies.
image_builder::ImageOptions BaseImageOptions(
    image_builder::ImageFault fault = image_builder::ImageFault::kNone);

// Built on first use and kept for the process.
const BaseImage& GetBaseImage();

// Image places the fuzzers aim at.
inline constexpr std::uint32_t kTableBlockOffset = 0x21990;
inline constexpr std::uint32_t kTableBlockSpace = 0x11BFF;
inline constexpr int kTableMemLevel = 3;
// The setup entries and text-bank pairs of the file table, whose words the
// table checks read.
inline constexpr std::uint32_t kTableEntriesStart = 0x26FB0;
inline constexpr std::uint32_t kTableEntriesEnd = 0x274CC;
inline constexpr std::uint32_t kTextRegionStart = 0x8E7410;
inline constexpr std::uint32_t kTextRegionEnd = 0x8F7DE0;

}  // namespace velmo::fuzz
