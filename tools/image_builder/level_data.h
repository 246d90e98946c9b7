#pragma once

#include <cstdint>

#include "support/byte_buffer.h"

namespace velmo::image_builder {

// Appends about `length` bytes (rounded down to whole words) of the data a
// setup file carries after its object list, which Velmo never reads: the AI
// lists, the pad list and the path tables. Sets the header words that point
// at them. The bytes depend only on the seed, the stream tag and the length,
// and a longer length only makes each part longer.
void AppendLevelData(ByteBuffer& setup, std::uint32_t length, std::uint64_t contentSeed,
                     std::uint64_t streamTag);

}  // namespace velmo::image_builder
