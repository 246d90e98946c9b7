#pragma once

#include <cstdint>
#include <span>

#include "image_builder/content_random.h"

namespace velmo::image_builder {

// The common reflected CRC-32 (polynomial 0xEDB88320), as the console's boot
// check and zlib compute it.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// Fills bytes with pseudo-random data and then chooses their last four bytes
// so that the CRC-32 of the whole span is wantedCrc. Any CRC-32 can be reached
// this way because the register update over four bytes is invertible.
// Needs at least four bytes.
void WriteSteeredBytes(std::span<std::uint8_t> bytes, std::uint32_t wantedCrc,
                       ContentRandom& random);

}  // namespace velmo::image_builder
