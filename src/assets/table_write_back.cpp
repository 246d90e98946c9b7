#include "assets/table_write_back.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "assets/file_table_layout.h"
#include "support/codec.h"
#include "support/logger.h"

namespace velmo {

std::string BlockSizeRatioText(std::size_t blockSize, std::uint32_t room) {
  const double percent = static_cast<double>(blockSize) / room * 100.0;
  char text[64];
  std::snprintf(text, sizeof text, "%f", percent);
  return text;
}

bool WriteUpdated21990(std::span<std::uint8_t> image, const ByteBuffer& inflated21990,
                       WrittenTableBlock& written, const DataBlockPlace& place) {
  written = {};
  ByteBuffer block;
  const bool complete = CompressData(inflated21990, block, k21990MemLevel);
  const std::string ratio = BlockSizeRatioText(block.size(), place.room);
  if (block.size() > place.room) {
    LogError("WriteUpdated21990(): New compressed block is larger [" + ratio +
             "%] than the original and won't fit!");
    return false;
  }
  // A block that cannot be inflated back whole would be a broken file table
  // in the game.
  if (image.size() < std::uint64_t{place.offset} + place.room || !complete ||
      !FitsInflateRoom(block.size(), inflated21990.size())) {
    LogError("WriteUpdated21990(): New compressed block is incomplete and won't be written!");
    return false;
  }
  const auto space = image.subspan(place.offset, place.room);
  std::fill(space.begin(), space.end(), 0);
  std::copy(block.begin(), block.end(), space.begin());
  written = {std::move(block), inflated21990};
  LogSuccess("WriteUpdated21990(): Updated 21990 block, new block is [" + ratio + "%] of the size");
  return true;
}

}  // namespace velmo
