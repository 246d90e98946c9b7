#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image_builder/image_layout.h"

namespace velmo::image_builder {

// The machine words of one boot-code function that returns an address:
// "lui v0, hi; jr ra; addiu v0, v0, lo". The add takes lo as a signed
// number, so hi is rounded up when lo's top bit is set.
std::array<std::uint32_t, 3> AddressFunction(std::uint32_t address);

// Writes the two functions that name the table block's start and end, for the
// regions whose reader takes the block's room from them. North America's
// room is fixed, and its image keeps its filler there.
void WriteDataBlockBounds(std::span<std::uint8_t> image, const ImagePlaces& places);

}  // namespace velmo::image_builder
