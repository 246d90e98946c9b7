#include "support/codec.h"

#include <gtest/gtest.h>

#include "harness/recording_console.h"

namespace velmo {
namespace {

using testing::RecordingConsole;

ByteBuffer SampleSetupBytes() {
  ByteBuffer plain;
  for (int i = 0; i < 3000; ++i)
    plain.push_back(static_cast<std::uint8_t>((i * 7) % 23 + (i / 100)));
  return plain;
}

// Raw deflate of "hello": one fixed-Huffman final block.
const ByteBuffer kHelloBlock = {0x11, 0x72, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x07, 0x00};

TEST(Codec, CompressThenDecompressGivesTheBytesBack) {
  RecordingConsole console;
  const ByteBuffer plain = SampleSetupBytes();
  for (int memLevel : {3, 5, 6}) {
    ByteBuffer block;
    EXPECT_TRUE(CompressData(plain, block, memLevel));
    ASSERT_GT(block.size(), 2u);
    EXPECT_EQ(block[0], 0x11);
    EXPECT_EQ(block[1], 0x72);
    EXPECT_LT(block.size(), plain.size());
    ByteBuffer inflated = {9, 9, 9};
    EXPECT_TRUE(DecompressData(block, inflated));
    EXPECT_EQ(inflated, plain);
  }
  EXPECT_EQ(console.Text(), "");
}

TEST(Codec, LargeBlockWithFarBackReferencesRoundTrips) {
  RecordingConsole console;
  // Noise that repeats 20 KiB apart, far beyond an 8-bit window; the block
  // stays well inside the twenty-fold limit.
  ByteBuffer plain(20 * 1024);
  std::uint32_t x = 0x9E3779B9;
  for (std::uint8_t& byte : plain) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    byte = static_cast<std::uint8_t>(x);
  }
  const ByteBuffer unit = plain;
  for (int copy = 0; copy < 10; ++copy) plain.insert(plain.end(), unit.begin(), unit.end());
  ByteBuffer block;
  CompressData(plain, block, 6);
  ASSERT_LT(block.size() * 5, plain.size());
  ByteBuffer inflated;
  EXPECT_TRUE(DecompressData(block, inflated));
  EXPECT_EQ(inflated, plain);
  EXPECT_EQ(console.Text(), "");
}

TEST(Codec, DecompressReadsAKnownStreamIgnoringHeaderValuesAndFiller) {
  RecordingConsole console;
  ByteBuffer block = kHelloBlock;
  block[0] = 0x00;
  block[1] = 0x00;
  block.insert(block.end(), {0xFF, 0x00, 0xFF, 0x00, 0x12});
  ByteBuffer out;
  EXPECT_TRUE(DecompressData(block, out));
  EXPECT_EQ(out, (ByteBuffer{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(console.Text(), "");
}

TEST(Codec, EmptyStreamFailsWithWarnLine) {
  RecordingConsole console;
  // Final fixed-Huffman block holding only its end-of-block code.
  const ByteBuffer block = {0x11, 0x72, 0x03, 0x00};
  ByteBuffer out = {1, 2, 3};
  EXPECT_FALSE(DecompressData(block, out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(console.Text(), "WARN DecompressData(): Failed with message [no message]\n");
}

TEST(Codec, GarbageFailsWithZlibMessage) {
  RecordingConsole console;
  // 0xFF: final block of the reserved type 3.
  const ByteBuffer block = {0x11, 0x72, 0xFF, 0xFF, 0xFF, 0xFF};
  ByteBuffer out;
  EXPECT_FALSE(DecompressData(block, out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(console.Text(), "WARN DecompressData(): Failed with message [invalid block type]\n");
}

TEST(Codec, TruncatedStreamFailsAndKeepsWhatCameOut) {
  RecordingConsole console;
  ByteBuffer block;
  CompressData(SampleSetupBytes(), block, 6);
  block.resize(block.size() / 2);
  ByteBuffer out;
  EXPECT_FALSE(DecompressData(block, out));
  EXPECT_LT(out.size(), SampleSetupBytes().size());
  EXPECT_EQ(console.Text(), "WARN DecompressData(): Failed with message [no message]\n");
}

TEST(Codec, StreamLargerThanTwentyTimesItsBlockFails) {
  RecordingConsole console;
  const ByteBuffer zeros(100000, 0);
  ByteBuffer block;
  EXPECT_TRUE(CompressData(zeros, block, 6));
  ASSERT_LT(block.size() * 20, zeros.size());
  EXPECT_FALSE(FitsInflateRoom(block.size(), zeros.size()));
  ByteBuffer out;
  EXPECT_FALSE(DecompressData(block, out));
  EXPECT_EQ(out.size(), block.size() * 20);
  EXPECT_TRUE(FitsInflateRoom(block.size(), out.size()));
  EXPECT_EQ(console.Text(), "WARN DecompressData(): Failed with message [no message]\n");
}

TEST(Codec, InputShorterThanTheHeaderFails) {
  RecordingConsole console;
  ByteBuffer out = {1};
  const ByteBuffer oneByte = {0x11};
  EXPECT_FALSE(DecompressData(oneByte, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(DecompressData({}, out));
  EXPECT_EQ(console.LinesStartingWith("WARN ").size(), 2u);
  EXPECT_EQ(console.Lines()[0], "WARN DecompressData(): Failed with message [no message]");
}

TEST(Codec, CompressEmptyInputLeavesOutputUntouched) {
  RecordingConsole console;
  ByteBuffer out = {7, 8, 9};
  EXPECT_FALSE(CompressData({}, out, 6));
  EXPECT_EQ(out, (ByteBuffer{7, 8, 9}));
  EXPECT_EQ(console.Text(), "ERROR CompressData(): No data to compress!\n");
}

TEST(Codec, CompressOneByteHasNoRoomAndGivesJustTheHeader) {
  RecordingConsole console;
  ByteBuffer out;
  const ByteBuffer oneByte = {0x42};
  EXPECT_FALSE(CompressData(oneByte, out, 5));
  EXPECT_EQ(out, (ByteBuffer{0x11, 0x72}));
  EXPECT_EQ(console.Text(), "WARN CompressData(): Failed with message [buffer error]\n");
}

}  // namespace
}  // namespace velmo
