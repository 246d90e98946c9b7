#pragma once

#include <cstdint>
#include <vector>

#include "image_builder/content_random.h"
#include "image_builder/image_options.h"
#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

namespace velmo::image_builder {

// Where the parts of one generated setup file lie, for the builder's report
// and the tests.
struct SetupNotes {
  std::uint32_t introOffset = 0;
  std::uint32_t objectListOffset = 0;
  std::uint32_t objectListEnd = 0;  // just past the 0x30 record
  // Guard records inside 0x17/0x19 blocks, which Velmo must not collect.
  std::vector<std::uint32_t> hiddenGuardOffsets;
};

// The records of one level's setup file: a header whose words 8 and 12 point
// at the intro block and the object list, a small table before the intro
// block, the intro block and the object list. The header words of the data
// that follows the object list are set by AppendLevelData.
struct SetupCore {
  ByteBuffer bytes;
  SetupNotes notes;
};

// The header is eight words: path tables, path links, intro block, object
// list, AI lists, pad list, 3D pad list (unused), pad names.
inline constexpr std::uint32_t kSetupHeaderLength = 32;

SetupCore BuildSetupCore(LevelId level, Layout layout, bool gameLikeLevels, ContentRandom& random);

}  // namespace velmo::image_builder
