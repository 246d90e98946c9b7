#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "assets/data_block.h"
#include "support/byte_buffer.h"

namespace velmo {

// The block WriteUpdated21990 put into the image, and the table it was
// compressed from: the check of the finished image compares the image with
// these bytes instead of inflating the block once more.
struct WrittenTableBlock {
  ByteBuffer block;
  ByteBuffer table;
};

// Recompresses the file table into the place of the old block, provided the
// stream is complete, fits in the block's room and can be inflated back whole;
// otherwise the image keeps the old block, written is left empty and the
// result is false. Only the room is cleared: nothing past it is touched.
bool WriteUpdated21990(std::span<std::uint8_t> image, const ByteBuffer& inflated21990,
                       WrittenTableBlock& written,
                       const DataBlockPlace& place = NorthAmericanDataBlock());

// The block size as a percentage of the room, with six decimals.
std::string BlockSizeRatioText(std::size_t blockSize,
                               std::uint32_t room = NorthAmericanDataBlock().room);

}  // namespace velmo
