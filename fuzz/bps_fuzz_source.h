#pragma once

#include <cstddef>

#include "support/byte_buffer.h"

namespace velmo::fuzz {

// The image every input of the BPS patch target is a patch against, and that
// its seeds are made from: 512 bytes with runs, repeats and a stretch of zeros.
inline ByteBuffer BpsFuzzSource() {
  ByteBuffer source(512);
  for (std::size_t index = 0; index < source.size(); ++index) {
    source[index] = static_cast<std::uint8_t>(index * 37 + (index >> 5));
  }
  for (std::size_t index = 300; index < 364; ++index) source[index] = 0;
  return source;
}

}  // namespace velmo::fuzz
