#include "platform/file_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "harness/temp_dir.h"
#include "platform/file_mapping.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::TempDir;
using testing::WriteBinaryFile;

const ByteBuffer kImage = {0x80, 0x37, 0x12, 0x40, 0x00, 0x0D, 0x0A, 0x1A, 0xFF};

// A refused or failed copy leaves no temporary file behind.
std::size_t FileCount(const TempDir& dir) {
  const std::filesystem::directory_iterator files(dir.Path());
  return static_cast<std::size_t>(std::distance(begin(files), end(files)));
}

TEST(CopyFileReplacing, CopiesEveryByteAndReplacesALongerDestination) {
  TempDir dir;
  const std::string source = dir.File("ge.z64");
  const std::string destination = dir.File("ge_rand.z64");
  WriteBinaryFile(source, kImage);
  WriteBinaryFile(destination, ByteBuffer(100, 0x55));

  ASSERT_TRUE(platform::CopyFileReplacing(source, destination));
  EXPECT_EQ(ReadBinaryFile(destination), kImage);
  EXPECT_EQ(ReadBinaryFile(source), kImage);
}

TEST(CopyFileReplacing, MissingSourceFailsWithoutCreatingTheDestination) {
  TempDir dir;
  EXPECT_FALSE(platform::CopyFileReplacing(dir.File("absent.z64"), dir.File("out.z64")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.z64")));
  EXPECT_EQ(FileCount(dir), 0u);
}

TEST(CopyFileReplacing, RefusesToCopyAFileOntoItselfUnderAnyName) {
  TempDir dir;
  const std::string source = dir.File("ge.z64");
  WriteBinaryFile(source, kImage);
  const std::string sameFileOtherSpelling = (dir.Path() / "." / "ge.z64").make_preferred().string();

  const std::string hardLink = dir.File("ge_rand.z64");
  std::filesystem::create_hard_link(source, hardLink);

  EXPECT_FALSE(platform::CopyFileReplacing(source, source));
  EXPECT_FALSE(platform::CopyFileReplacing(source, sameFileOtherSpelling));
  EXPECT_FALSE(platform::CopyFileReplacing(source, hardLink));
  EXPECT_EQ(ReadBinaryFile(source), kImage);
  EXPECT_EQ(ReadBinaryFile(hardLink), kImage);
  EXPECT_EQ(FileCount(dir), 2u);
}

TEST(CopyFileReplacing, DestinationHeldOpenExclusivelyIsLeftAlone) {
  TempDir dir;
  const std::string source = dir.File("ge.z64");
  const std::string destination = dir.File("ge_rand.z64");
  const ByteBuffer held = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  WriteBinaryFile(source, kImage);
  WriteBinaryFile(destination, held);

  const platform::FileHandle holder = platform::OpenFileExclusive(destination);
  ASSERT_TRUE(holder.IsValid());
  EXPECT_FALSE(platform::CopyFileReplacing(source, destination));
  platform::CloseFile(holder);

  EXPECT_EQ(ReadBinaryFile(destination), held);
  EXPECT_EQ(FileCount(dir), 2u);
  ASSERT_TRUE(platform::CopyFileReplacing(source, destination));
  EXPECT_EQ(ReadBinaryFile(destination), kImage);
}

}  // namespace
}  // namespace velmo
