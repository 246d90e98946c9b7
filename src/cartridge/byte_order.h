#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace velmo {

// The orders in which dumps of cartridges store their bytes, told apart by
// the first word of the header (80 37 12 40 in the cartridge's own order).
enum class ByteOrder {
  kBigEndian,     // .z64: the cartridge's own order
  kByteSwapped,   // .v64: each 16-bit pair swapped
  kLittleEndian,  // .n64: each 32-bit word reversed
};

// The order whose first word the image starts with; nothing for any other
// start (including an image shorter than a word).
std::optional<ByteOrder> ByteOrderOf(std::span<const std::uint8_t> image);

// How the log names an order other than big-endian.
std::string_view ByteOrderName(ByteOrder order);

// Puts an image of the given order into big-endian order in place. The
// image's length must be a multiple of 4.
void ConvertToBigEndian(std::span<std::uint8_t> image, ByteOrder order);

// The kind of archive the file starts like ("zip", "7z", "gzip", "rar");
// nothing when it starts like none of them.
std::optional<std::string_view> ArchiveKindOf(std::span<const std::uint8_t> file);

}  // namespace velmo
