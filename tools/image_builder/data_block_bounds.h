#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image_builder/image_layout.h"

namespace velmo::image_builder {

// Writes the two functions that name the table block's start and end, for the
// regions whose reader takes the block's room from them. North America's
// room is fixed, and its image keeps its filler there.
void WriteDataBlockBounds(std::span<std::uint8_t> image, const ImagePlaces& places);

}  // namespace velmo::image_builder
