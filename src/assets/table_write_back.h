#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "rom/byte_buffer.h"

namespace velmo {

// Recompresses the file table into the place of the old block, provided it
// fits there and inflates back to exactly the table; otherwise the image keeps
// the old block and the result is false.
bool WriteUpdated21990(std::span<std::uint8_t> image, const ByteBuffer& inflated21990);

// The block size as a percentage of the space, with six decimals.
std::string BlockSizeRatioText(std::size_t blockSize);

}  // namespace velmo
