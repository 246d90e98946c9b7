#pragma once

#include <cstdint>
#include <span>
#include <string>

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
// stream is complete, fits there and can be inflated back whole; otherwise the
// image keeps the old block, written is left empty and the result is false.
bool WriteUpdated21990(std::span<std::uint8_t> image, const ByteBuffer& inflated21990,
                       WrittenTableBlock& written);

// The block size as a percentage of the space, with six decimals.
std::string BlockSizeRatioText(std::size_t blockSize);

}  // namespace velmo
