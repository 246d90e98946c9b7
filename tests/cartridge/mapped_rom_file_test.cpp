#include "cartridge/mapped_rom_file.h"

#include <gtest/gtest.h>

#include "harness/temp_dir.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::TempDir;
using testing::WriteBinaryFile;

// Every byte differs from its neighbours across a page, so a pointer that is
// off by any amount up to a page reads a wrong value.
std::uint8_t PatternByte(std::size_t offset) {
  return static_cast<std::uint8_t>((offset * 31 + offset / 251) & 0xFF);
}

ByteBuffer PatternBytes(std::size_t size) {
  ByteBuffer bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = PatternByte(i);
  return bytes;
}

class MappedRomFileTest : public ::testing::Test {
 protected:
  std::string WriteImage(const ByteBuffer& bytes) {
    const std::string path = dir.File("image.z64");
    WriteBinaryFile(path, bytes);
    return path;
  }

  TempDir dir;
};

TEST_F(MappedRomFileTest, OffsetOffTheGranularityPointsAtExactlyThatByte) {
  std::uint64_t granularity = 0;
  {
    MappedRomFile probe;
    ASSERT_TRUE(probe.LoadFile(WriteImage(PatternBytes(1))));
    granularity = probe.AllocationGranularity();
  }
  ASSERT_GT(granularity, 1u);
  const std::size_t size = static_cast<std::size_t>(3 * granularity + 100);
  MappedRomFile file;
  ASSERT_TRUE(file.LoadFile(WriteImage(PatternBytes(size))));
  EXPECT_EQ(file.FileSize(), size);

  const std::uint64_t offset = granularity + 5;
  const std::uint8_t* bytes = file.MapAt(offset);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[0], PatternByte(offset));
  // The view reaches to the last byte of the file.
  EXPECT_EQ(bytes[size - offset - 1], PatternByte(size - 1));
}

TEST_F(MappedRomFileTest, OffsetPastTheEndGivesNullAndKeepsTheView) {
  MappedRomFile file;
  ASSERT_TRUE(file.LoadFile(WriteImage(PatternBytes(5000))));
  const std::uint8_t* bytes = file.MapAt(4099);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(file.MapAt(5001), nullptr);
  // No byte lies at the end offset itself either.
  EXPECT_EQ(file.MapAt(5000), nullptr);
  EXPECT_EQ(bytes[0], PatternByte(4099));
  EXPECT_EQ(bytes[900], PatternByte(4999));
}

TEST_F(MappedRomFileTest, ChangesThroughTheViewAreInTheFileAfterTeardown) {
  ByteBuffer expected = PatternBytes(10000);
  const std::string path = WriteImage(expected);
  {
    MappedRomFile file;
    ASSERT_TRUE(file.LoadFile(path));
    std::uint8_t* bytes = file.MapAt(8195);
    ASSERT_NE(bytes, nullptr);
    bytes[0] = 0xAB;
    bytes[1804] = 0xCD;
    std::uint8_t* start = file.MapAt(0);
    ASSERT_NE(start, nullptr);
    start[0x10] = 0xEF;
  }
  expected[8195] = 0xAB;
  expected[9999] = 0xCD;
  expected[0x10] = 0xEF;
  EXPECT_EQ(ReadBinaryFile(path), expected);
}

// The steps of a run map the whole image one after the other: they share its
// view, and a view mapped elsewhere in between still sees what they wrote.
TEST_F(MappedRomFileTest, MappingTheSameStartAgainKeepsTheView) {
  MappedRomFile file;
  ASSERT_TRUE(file.LoadFile(WriteImage(PatternBytes(3 * 65536 + 7))));
  std::uint8_t* first = file.MapAt(0);
  ASSERT_NE(first, nullptr);
  first[70000] = 0x5A;
  EXPECT_EQ(file.MapAt(0), first);
  EXPECT_EQ(file.MapAt(3), first + 3);
  EXPECT_EQ(file.ReadByteAt(70000), 0x5A);
  std::uint8_t* again = file.MapAt(0);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again[70000], 0x5A);
  EXPECT_EQ(again[70001], PatternByte(70001));
}

TEST_F(MappedRomFileTest, SecondLoadOfAFileHeldOpenFailsUntilItIsReleased) {
  const std::string path = WriteImage(PatternBytes(64));
  auto first = std::make_unique<MappedRomFile>();
  ASSERT_TRUE(first->LoadFile(path));
  ASSERT_NE(first->MapAt(0), nullptr);
  MappedRomFile second;
  EXPECT_FALSE(second.LoadFile(path));
  EXPECT_EQ(second.MapAt(0), nullptr);
  first.reset();
  EXPECT_TRUE(second.LoadFile(path));
}

TEST_F(MappedRomFileTest, EmptyOrMissingFileFailsToLoad) {
  MappedRomFile file;
  EXPECT_FALSE(file.LoadFile(WriteImage({})));
  EXPECT_EQ(file.MapAt(0), nullptr);
  EXPECT_EQ(file.ReadByteAt(0), 0);
  EXPECT_FALSE(file.LoadFile(dir.File("absent.z64")));
  EXPECT_FALSE(file.LoadFile(dir.Path().string()));
}

TEST_F(MappedRomFileTest, ReadersReadBigEndianAndStopAtTheEndOfTheFile) {
  ByteBuffer bytes = {0x80, 0x37, 0x12, 0x40, 'G', 'O', 'L', 0, 'A', 'B'};
  MappedRomFile file;
  ASSERT_TRUE(file.LoadFile(WriteImage(bytes)));
  EXPECT_EQ(file.ReadByteAt(0), 0x80);
  EXPECT_EQ(file.ReadByteAt(9), 'B');
  EXPECT_EQ(file.ReadByteAt(10), 0);
  EXPECT_EQ(file.ReadDWORDAt(0), 0x80371240u);
  EXPECT_EQ(file.ReadDWORDAt(6), 0x4C004142u);
  EXPECT_EQ(file.ReadDWORDAt(7), 0u);  // would run one byte past the end
  EXPECT_EQ(file.ReadDWORDAt(UINT64_MAX - 1), 0u);
  EXPECT_EQ(file.ReadStringAt(4), "GOL");
  EXPECT_EQ(file.ReadStringAt(8), "AB");  // ends with the file, not a zero byte
  EXPECT_EQ(file.ReadStringAt(7), "");
  EXPECT_EQ(file.ReadStringAt(10), "");

  ByteBuffer out = {1, 2, 3};
  file.ReadBytesAt(2, 4, out);
  EXPECT_EQ(out, (ByteBuffer{0x12, 0x40, 'G', 'O'}));
  file.ReadBytesAt(2, 0, out);
  EXPECT_TRUE(out.empty());
  out = {1};
  file.ReadBytesAt(6, 5, out);
  EXPECT_TRUE(out.empty());
  file.ReadBytesAt(6, UINT64_MAX, out);
  EXPECT_TRUE(out.empty());
  file.ReadBytesAt(6, 4, out);
  EXPECT_EQ(out, (ByteBuffer{'L', 0, 'A', 'B'}));
}

}  // namespace
}  // namespace velmo
