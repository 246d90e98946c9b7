#pragma once

#include <cstdint>

#include "image_builder/image_options.h"
#include "image_builder/level_content.h"
#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

namespace velmo::image_builder {

// One level's setup file, plain and compressed as the image holds it.
struct BuiltSetup {
  ByteBuffer plain;
  ByteBuffer compressed;  // 0x11 0x72 and the raw deflate stream
  SetupNotes notes;
};

// How full the compressed file should make its space, as fractions of it.
struct FillTarget {
  double lowest;
  double highest;
};

// Realistic files fill 75-95% of their space; a file meant to overflow its
// space comes out 3-20% larger than it.
inline constexpr FillTarget kRealisticFill{0.75, 0.95};
inline constexpr FillTarget kOverflowingFill{1.03, 1.20};

// Builds the setup file of the entryIndex-th catalogue entry. With a target
// the data after the object list is lengthened until the compressed file
// fills that share of `space` bytes; without one it stays short.
// With gameLikeLevels the level is shaped like the game's own where Velmo's
// rules depend on it (see ImageOptions::gameLikeLevels).
BuiltSetup BuildSetupFile(int entryIndex, Layout layout, std::uint64_t contentSeed,
                          std::uint32_t space, const FillTarget* target,
                          bool gameLikeLevels = false);

}  // namespace velmo::image_builder
