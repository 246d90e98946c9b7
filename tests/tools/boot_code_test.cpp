#include "image_builder/boot_code.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "cartridge/checksum.h"
#include "harness/image_inspector.h"
#include "image_builder/image_builder.h"
#include "support/byte_buffer.h"

namespace velmo::image_builder {
namespace {

std::uint32_t ZlibCrc(const ByteBuffer& bytes) {
  return static_cast<std::uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

TEST(BootCodeTest, Crc32MatchesZlib) {
  ByteBuffer bytes(4032);
  ContentRandom random(3, 9);
  random.Fill(bytes);
  EXPECT_EQ(Crc32(bytes), ZlibCrc(bytes));
  const ByteBuffer check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc32(check), 0xCBF43926u) << "the CRC-32 check value";
}

TEST(BootCodeTest, SteeredBytesReachEveryVariantsCrc) {
  for (CicVariant cic : kAllCicVariants) {
    for (std::size_t length : {4u, 5u, 4032u}) {
      ByteBuffer bytes(length);
      ContentRandom random(11, length);
      WriteSteeredBytes(bytes, BootCodeCrc(cic), random);
      EXPECT_EQ(ZlibCrc(bytes), BootCodeCrc(cic)) << CicName(cic) << " over " << length;
    }
  }
}

TEST(BootCodeTest, UnknownVariantMatchesNoKnownChip) {
  for (CicVariant cic : kAllCicVariants) {
    if (cic == CicVariant::kUnknown) continue;
    EXPECT_NE(BootCodeCrc(cic), BootCodeCrc(CicVariant::kUnknown));
  }
  EXPECT_EQ(BootCodeCrc(CicVariant::k6101), 0x6170A4A1u);
  EXPECT_EQ(BootCodeCrc(CicVariant::k6102), 0x90BB6CB5u);
  EXPECT_EQ(BootCodeCrc(CicVariant::k6103), 0x0B050EE0u);
  EXPECT_EQ(BootCodeCrc(CicVariant::k6105), 0x98BC2C86u);
  EXPECT_EQ(BootCodeCrc(CicVariant::k6106), 0xACC8580Au);
}

// Variants whose checksum combines the accumulators differently (6106) or
// mixes in the boot code's own words (unknown chips, checked as 6105).
TEST(BootCodeTest, ImagesOfOtherChipsCarryTheirChecksum) {
  for (CicVariant cic : {CicVariant::k6106, CicVariant::kUnknown}) {
    ImageOptions options;
    options.layout = Layout::kSmall;
    options.cic = cic;
    ByteBuffer image = BuildImage(options).bytes;
    ByteBuffer bootCode(image.begin() + 0x40, image.begin() + 0x1000);
    EXPECT_EQ(ZlibCrc(bootCode), BootCodeCrc(cic)) << CicName(cic);
    HeaderChecksum checksum = ComputeHeaderChecksum(image);
    EXPECT_EQ(testing::ReadWord(image, 0x10), checksum.crc1) << CicName(cic);
    EXPECT_EQ(testing::ReadWord(image, 0x14), checksum.crc2) << CicName(cic);
  }
}

}  // namespace
}  // namespace velmo::image_builder
