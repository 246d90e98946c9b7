#pragma once

#include <array>
#include <cstdint>

#include "cartridge/checksum.h"
#include "support/buffer_words.h"
#include "support/byte_buffer.h"

namespace velmo {

// The last four bytes of the boot code, chosen so that the CRC-32 of
// 0x40..0xFFF (the other bytes being o & 0xFF) is that of each boot chip.
using BootCodeTail = std::array<std::uint8_t, 4>;
inline constexpr BootCodeTail kTail6101{0x68, 0xDC, 0xB2, 0x8B};
inline constexpr BootCodeTail kTail6102{0x03, 0x9C, 0x9D, 0xC7};
inline constexpr BootCodeTail kTail6103{0x0D, 0xE4, 0x76, 0x03};
inline constexpr BootCodeTail kTail6105{0x05, 0x5C, 0xBA, 0x1D};
inline constexpr BootCodeTail kTail6106{0x67, 0x29, 0x38, 0x85};
inline constexpr BootCodeTail kTailUnknown{0x00, 0x00, 0x00, 0x00};

// Header 80 37 12 40 then zeros; boot code o & 0xFF with the given tail; data
// of xorshift32 words from state 0x12345678.
inline ByteBuffer MakeVectorImage(const BootCodeTail& tail) {
  ByteBuffer image(kChecksummedImageSize, 0);
  image[0] = 0x80;
  image[1] = 0x37;
  image[2] = 0x12;
  image[3] = 0x40;
  for (std::size_t o = 0x40; o < 0xFFC; ++o) image[o] = static_cast<std::uint8_t>(o & 0xFF);
  for (std::size_t k = 0; k < 4; ++k) image[0xFFC + k] = tail[k];
  std::uint32_t x = 0x12345678;
  for (std::size_t o = 0x1000; o < kChecksummedImageSize; o += 4) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    StoreBigEndian32(image.data() + o, x);
  }
  return image;
}

}  // namespace velmo
