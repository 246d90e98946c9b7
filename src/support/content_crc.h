#pragma once

#include <cstdint>
#include <span>

namespace velmo {

// The common reflected CRC-32 (zlib's crc32) of some bytes: what the run
// keeps of data it must check again later, instead of a copy of the data.
std::uint32_t ContentCrc32(std::span<const std::uint8_t> bytes);

}  // namespace velmo
