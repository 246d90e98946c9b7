#include "cartridge/checksum_update.h"

#include <gtest/gtest.h>

#include "cartridge/checksum_vectors.h"
#include "cartridge/mapped_rom_file.h"
#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "support/buffer_words.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteBinaryFile;

class ChecksumUpdateTest : public ::testing::Test {
 protected:
  // Runs the step on the image written to a file; the file is released again
  // before this returns, so its bytes can be compared.
  bool Update(const ByteBuffer& image) {
    WriteBinaryFile(path, image);
    MappedRomFile file;
    if (!file.LoadFile(path)) {
      ADD_FAILURE() << "could not map the test image";
      return false;
    }
    return RecalculateAndUpdateCRC(file, checksum, crc1Text, crc2Text);
  }

  TempDir dir;
  std::string path = dir.File("image.z64");
  HeaderChecksum checksum{1, 2};
  std::string crc1Text = "old1";
  std::string crc2Text = "old2";
  RecordingConsole console;
};

TEST_F(ChecksumUpdateTest, CorrectWordsAreLeftByteForByteUnchanged) {
  ByteBuffer image = MakeVectorImage(kTail6102);
  StoreBigEndian32(image.data() + 0x10, 0x77F6D472);
  StoreBigEndian32(image.data() + 0x14, 0x5B9AA67C);
  image.resize(image.size() + 0x3000, 0x5A);  // the rest of the image is not covered
  EXPECT_TRUE(Update(image));
  EXPECT_EQ(ReadBinaryFile(path), image);
  EXPECT_EQ(crc1Text, "77F6D472");
  EXPECT_EQ(crc2Text, "5B9AA67C");
  EXPECT_EQ(console.Text(),
            "INFO ROM::RecalculateAndUpdateCRC(): Recalculated checksum [77F6D472-5B9AA67C] "
            "successfully\n");
}

TEST_F(ChecksumUpdateTest, WordsAreStoredBigEndianWithLeadingZerosInTheTexts) {
  ByteBuffer image = MakeVectorImage(kTail6105);
  StoreBigEndian32(image.data() + 0x10, 0xFFFFFFFF);
  StoreBigEndian32(image.data() + 0x14, 0xFFFFFFFF);
  EXPECT_TRUE(Update(image));
  ByteBuffer expected = image;
  const std::uint8_t words[] = {0x19, 0xA3, 0x7E, 0x6C, 0x0F, 0x3E, 0x94, 0xE3};
  std::copy(std::begin(words), std::end(words), expected.begin() + 0x10);
  EXPECT_EQ(ReadBinaryFile(path), expected);
  EXPECT_EQ(crc1Text, "19A37E6C");
  EXPECT_EQ(crc2Text, "0F3E94E3");
  EXPECT_EQ(checksum.crc1, 0x19A37E6Cu);
  EXPECT_EQ(checksum.crc2, 0x0F3E94E3u);
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"INFO ROM::RecalculateAndUpdateCRC(): Recalculated checksum "
                                     "[19A37E6C-0F3E94E3] successfully"});
}

TEST_F(ChecksumUpdateTest, ImageShorterThanTheCoveredDataIsRefusedUntouched) {
  ByteBuffer image = MakeVectorImage(kTail6102);
  image.resize(kChecksummedImageSize - 1);
  EXPECT_FALSE(Update(image));
  EXPECT_EQ(ReadBinaryFile(path), image);
  EXPECT_EQ(crc1Text, "old1");
  EXPECT_EQ(crc2Text, "old2");
  EXPECT_EQ(checksum.crc1, 1u);
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{
                "ERROR ROM::RecalculateAndUpdateCRC(): ROM of [1052671] bytes is too small to "
                "checksum, it needs at least [1052672] bytes"});
}

TEST_F(ChecksumUpdateTest, FileNotLoadedIsRefused) {
  MappedRomFile closed;
  EXPECT_FALSE(RecalculateAndUpdateCRC(closed, checksum, crc1Text, crc2Text));
  EXPECT_EQ(console.LinesStartingWith("ERROR ").size(), 1u);
  EXPECT_EQ(crc1Text, "old1");
}

}  // namespace
}  // namespace velmo
