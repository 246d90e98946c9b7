#include "support/buffer_words.h"

#include <gtest/gtest.h>

#include "harness/recording_console.h"
#include "support/byte_buffer.h"

namespace velmo {
namespace {

using testing::RecordingConsole;

constexpr const char* kGetError =
    "ERROR GetDWORDFromOffset(): Supplied offset outside of supplied data";
constexpr const char* kSetError =
    "ERROR SetDWORDToffset(): Supplied offset outside of supplied data";

TEST(BufferWords, FourByteBufferReadsAtZeroOnly) {
  RecordingConsole console;
  const ByteBuffer buffer = {0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(GetDWORDFromOffset(buffer, 0), 0x12345678u);
  EXPECT_EQ(console.Text(), "");
  EXPECT_EQ(GetDWORDFromOffset(buffer, 1), 0u);
  EXPECT_EQ(console.Lines(), std::vector<std::string>{kGetError});
}

TEST(BufferWords, SevenByteBufferTakesOffsetsZeroToThree) {
  RecordingConsole console;
  const ByteBuffer buffer = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6};
  EXPECT_EQ(GetDWORDFromOffset(buffer, 0), 0xA0A1A2A3u);
  EXPECT_EQ(GetDWORDFromOffset(buffer, 3), 0xA3A4A5A6u);
  EXPECT_EQ(console.Text(), "");
  for (std::uint32_t offset : {4u, 5u, 6u, 0xFFFFFFFDu}) {
    EXPECT_EQ(GetDWORDFromOffset(buffer, offset), 0u) << offset;
  }
  EXPECT_EQ(console.Lines(), std::vector<std::string>(4, kGetError));

  console.Clear();
  ByteBuffer target(7, 0);
  for (std::uint32_t offset : {4u, 5u, 6u, 0xFFFFFFFFu})
    SetDWORDToffset(target, offset, 0xFFFFFFFF);
  EXPECT_EQ(target, ByteBuffer(7, 0));
  EXPECT_EQ(console.Lines(), std::vector<std::string>(4, kSetError));
}

TEST(BufferWords, SetAtOffsetTwoStoresMostSignificantByteFirst) {
  RecordingConsole console;
  ByteBuffer buffer(7, 0xEE);
  SetDWORDToffset(buffer, 2, 0x11223344);
  EXPECT_EQ(buffer, (ByteBuffer{0xEE, 0xEE, 0x11, 0x22, 0x33, 0x44, 0xEE}));
  EXPECT_EQ(console.Text(), "");
}

}  // namespace
}  // namespace velmo
