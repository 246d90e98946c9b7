#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace velmo {

// The two header checksum words of a cartridge image, as the console's boot
// code computes them over the mebibyte after the boot code.
struct HeaderChecksum {
  std::uint32_t crc1 = 0;
  std::uint32_t crc2 = 0;
};

// Where the header keeps the two words, big-endian.
inline constexpr std::size_t kCrc1Offset = 0x10;
inline constexpr std::size_t kCrc2Offset = 0x14;

// The image must hold at least kChecksummedImageSize bytes.
inline constexpr std::size_t kChecksummedImageSize = 0x101000;

HeaderChecksum ComputeHeaderChecksum(std::span<const std::uint8_t> image);

}  // namespace velmo
