#pragma once

#include <cstdint>
#include <vector>

namespace velmo {

// A growable contiguous array of bytes, owned by whoever holds it.
using ByteBuffer = std::vector<std::uint8_t>;

}  // namespace velmo
