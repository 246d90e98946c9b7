#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace velmo {

// The game's boot code keeps the places of its data in tiny functions that
// return an address, three machine words each: "lui v0, hi; jr ra;
// addiu v0, v0, lo". The add takes lo as a signed number, so hi is one more
// than the address's upper half when lo's top bit is set.
inline constexpr std::size_t kAddressFunctionLength = 12;

// The two that return the file-table block's start and the end of its room,
// at the same image offsets in every region.
inline constexpr std::uint32_t kDataBlockStartFunction = 0x10C8;
inline constexpr std::uint32_t kDataBlockEndFunction = 0x10D4;

// The three words of the function that returns address.
std::array<std::uint32_t, 3> AddressFunctionWords(std::uint32_t address);

// The address the function at offset returns; nothing when its words are not
// of that form or do not all lie inside the image.
std::optional<std::uint32_t> ReturnedAddress(std::span<const std::uint8_t> image,
                                             std::uint32_t offset);

}  // namespace velmo
