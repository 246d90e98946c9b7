#include "cartridge/checksum.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "cartridge/checksum_vectors.h"
#include "support/buffer_words.h"
#include "support/byte_buffer.h"

namespace velmo {
namespace {

TEST(HeaderChecksum, VectorImageDataIsTheAgreedSequence) {
  const ByteBuffer image = MakeVectorImage(kTail6102);
  EXPECT_EQ(LoadBigEndian32(image.data() + 0x1000), 0x87985AA5u);
  EXPECT_EQ(LoadBigEndian32(image.data() + kChecksummedImageSize - 4), 0x3C3F75D8u);
}

struct VariantVector {
  const char* name;
  BootCodeTail tail;
  std::uint32_t crc1;
  std::uint32_t crc2;
};

constexpr std::array kVariantVectors = {
    VariantVector{"6101", kTail6101, 0x77F6D472, 0x5B9AA67C},
    VariantVector{"6102", kTail6102, 0x77F6D472, 0x5B9AA67C},
    VariantVector{"6103", kTail6103, 0xE5AD2E18, 0x226BCD9A},
    VariantVector{"6105", kTail6105, 0x19A37E6C, 0x0F3E94E3},
    VariantVector{"6106", kTail6106, 0xF023E020, 0xF909F42E},
    VariantVector{"unknown boot code", kTailUnknown, 0x19A37E6C, 0x0F3E94E3},
};

TEST(HeaderChecksum, EachBootChipGivesItsIndependentlyComputedWords) {
  for (const VariantVector& vector : kVariantVectors) {
    SCOPED_TRACE(vector.name);
    const HeaderChecksum checksum = ComputeHeaderChecksum(MakeVectorImage(vector.tail));
    EXPECT_EQ(checksum.crc1, vector.crc1);
    EXPECT_EQ(checksum.crc2, vector.crc2);
  }
}

// On t2 == d the console's boot code takes the rotate branch; these two images
// hit that tie in their first word.
TEST(HeaderChecksum, TieBetweenT2AndWordTakesTheRotateBranch) {
  ByteBuffer zeroBootCode(kChecksummedImageSize, 0);
  StoreBigEndian32(zeroBootCode.data() + 0x1000, 0xDF26F436);
  const HeaderChecksum unknownChip = ComputeHeaderChecksum(zeroBootCode);
  EXPECT_EQ(unknownChip.crc1, 0x616B1C5Bu);
  EXPECT_EQ(unknownChip.crc2, 0x80026814u);

  ByteBuffer chip6102 = MakeVectorImage(kTail6102);
  std::fill(chip6102.begin() + 0x1000, chip6102.end(), 0);
  StoreBigEndian32(chip6102.data() + 0x1000, 0xF8CA4DDC);
  const HeaderChecksum tie6102 = ComputeHeaderChecksum(chip6102);
  EXPECT_EQ(tie6102.crc1, 0x095ED665u);
  EXPECT_EQ(tie6102.crc2, 0xD4E40130u);  // the old tie rule would give 0x12367389
}

TEST(HeaderChecksum, BytesOutsideBootCodeAndDataDoNotCount) {
  ByteBuffer image = MakeVectorImage(kTail6102);
  image.resize(kChecksummedImageSize + 16, 0xAB);
  for (std::size_t o = 4; o < 0x40; ++o) image[o] = 0xEE;
  const HeaderChecksum checksum = ComputeHeaderChecksum(image);
  EXPECT_EQ(checksum.crc1, 0x77F6D472u);
  EXPECT_EQ(checksum.crc2, 0x5B9AA67Cu);
}

TEST(HeaderChecksum, ImageTooShortGivesZeroWordsWithoutReading) {
  const ByteBuffer image = MakeVectorImage(kTail6102);
  const std::span<const std::uint8_t> shortImage(image.data(), kChecksummedImageSize - 1);
  const HeaderChecksum checksum = ComputeHeaderChecksum(shortImage);
  EXPECT_EQ(checksum.crc1, 0u);
  EXPECT_EQ(checksum.crc2, 0u);
  EXPECT_EQ(ComputeHeaderChecksum({}).crc1, 0u);
}

}  // namespace
}  // namespace velmo
