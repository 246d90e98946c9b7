#pragma once

#include <cstdint>
#include <span>

#include "cartridge/region_layout.h"
#include "image_builder/image_options.h"

namespace velmo::image_builder {

// Writes the first 0x40 bytes of the image: byte order, boot settings, zero
// checksum words (set last, over the finished image), the internal name
// padded with spaces to 20 bytes, the region's game code and the version
// byte. The header faults (other region, version byte, name) are applied
// here.
void WriteCartridgeHeader(std::span<std::uint8_t> image, ImageFault fault,
                          const RegionLayout& region);

}  // namespace velmo::image_builder
