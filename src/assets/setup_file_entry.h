#pragma once

#include <cstdint>

#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

namespace velmo {

// One level setup file found in the file table. Owns its setupData, which is
// empty after the table is read, then holds the inflated file and finally the
// recompressed one. The randomised file itself moves to randomisedData when it
// is recompressed, so that the image can be checked against it at the end of
// the run.
struct SetupFileEntry {
  std::uint32_t tablePosition = 0;  // offset of the entry's image-offset word in the table
  std::uint32_t romOffset = 0;      // where the compressed file starts in the image
  std::uint32_t availableSize = 0;  // bytes from romOffset up to the file's end bound
  LevelId levelId = 0;
  ByteBuffer setupData;
  int memLevel = 5;
  ByteBuffer randomisedData;
};

}  // namespace velmo
