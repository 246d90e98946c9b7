#include "support/content_crc.h"

#include <zlib.h>

namespace velmo {

std::uint32_t ContentCrc32(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(crc32_z(0L, bytes.data(), bytes.size()));
}

}  // namespace velmo
