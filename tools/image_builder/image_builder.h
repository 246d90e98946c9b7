#pragma once

#include <cstdint>
#include <vector>

#include "image_builder/image_options.h"
#include "image_builder/level_content.h"
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

struct ImageReport {
  std::vector<SetupReport> setups;  // in file-table order
  std::uint32_t tableCompressedSize = 0;
  std::uint32_t tableInflatedSize = 0;
  std::uint32_t englishTextTotal = 0;
  int emptyEnglishPair = -1;
};

struct BuiltImage {
  ByteBuffer bytes;
  ImageReport report;
};

BuiltImage BuildImage(const ImageOptions& options);

}  // namespace velmo::image_builder
