#include "platform/file_mapping.h"

#include <gtest/gtest.h>

#include "harness/temp_dir.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::TempDir;
using testing::WriteBinaryFile;

ByteBuffer CountingBytes(std::size_t size) {
  ByteBuffer bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return bytes;
}

TEST(FileMapping, GranularityIsTheSystemsViewAlignment) {
  const std::uint32_t granularity = platform::GetAllocationGranularity();
#ifdef _WIN32
  // Windows aligns views to 64 KiB, far more than a page.
  EXPECT_EQ(granularity, 65536u);
#else
  EXPECT_GE(granularity, 4096u);
  EXPECT_EQ(granularity & (granularity - 1), 0u);
#endif
}

TEST(FileMapping, ViewRunsFromItsOffsetToTheEndAndWritesReachTheFile) {
  TempDir dir;
  const std::string path = dir.File("image.z64");
  const std::uint64_t granularity = platform::GetAllocationGranularity();
  const std::size_t size = static_cast<std::size_t>(2 * granularity + 3);
  ByteBuffer expected = CountingBytes(size);
  WriteBinaryFile(path, expected);

  const platform::FileHandle file = platform::OpenFileExclusive(path);
  ASSERT_TRUE(file.IsValid());
  std::uint64_t fileSize = 0;
  ASSERT_TRUE(platform::QueryFileSize(file, fileSize));
  EXPECT_EQ(fileSize, size);
  const platform::MappingHandle mapping = platform::CreateMapping(file, fileSize);
  ASSERT_TRUE(mapping.IsValid());

  const platform::MappedView view = platform::MapView(mapping, granularity);
  ASSERT_TRUE(view.IsMapped());
  EXPECT_EQ(view.length, granularity + 3);
  EXPECT_EQ(view.base[0], expected[granularity]);
  EXPECT_EQ(view.base[granularity + 2], expected[size - 1]);
  view.base[granularity + 2] = 0xA5;
  expected[size - 1] = 0xA5;

  // A view starts inside the mapping.
  EXPECT_FALSE(platform::MapView(mapping, 3 * granularity).IsMapped());

  // The mapping outlives the file handle: the same order as at teardown.
  platform::CloseFile(file);
  platform::UnmapView(view);
  platform::CloseMapping(mapping);
  EXPECT_EQ(ReadBinaryFile(path), expected);
}

TEST(FileMapping, ExclusiveOpenShutsOutASecondOpenerUntilClosed) {
  TempDir dir;
  const std::string path = dir.File("image.z64");
  WriteBinaryFile(path, CountingBytes(16));

  const platform::FileHandle first = platform::OpenFileExclusive(path);
  ASSERT_TRUE(first.IsValid());
  const platform::FileHandle second = platform::OpenFileExclusive(path);
  EXPECT_FALSE(second.IsValid());
  platform::CloseFile(second);
  platform::CloseFile(first);

  const platform::FileHandle third = platform::OpenFileExclusive(path);
  EXPECT_TRUE(third.IsValid());
  platform::CloseFile(third);
}

TEST(FileMapping, MissingFileAndEmptyValuesAreRefusedQuietly) {
  TempDir dir;
  EXPECT_FALSE(platform::OpenFileExclusive(dir.File("absent.z64")).IsValid());
  std::uint64_t size = 99;
  EXPECT_FALSE(platform::QueryFileSize(platform::FileHandle{}, size));
  EXPECT_EQ(size, 99u);
  EXPECT_FALSE(platform::CreateMapping(platform::FileHandle{}, 16).IsValid());
  EXPECT_FALSE(platform::MapView(platform::MappingHandle{}, 0).IsMapped());
  platform::UnmapView({});
  platform::CloseMapping({});
  platform::CloseFile({});
}

}  // namespace
}  // namespace velmo
