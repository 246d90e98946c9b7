#include "platform/replacement_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "harness/temp_dir.h"

namespace velmo {
namespace {

using platform::FileMode;
using platform::ReplacementFile;
using testing::ReadBinaryFile;
using testing::TempDir;
using testing::WriteBinaryFile;

const ByteBuffer kOld = {'o', 'l', 'd', '\n'};

std::vector<std::string> FileNames(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplacementFile, TakesThePlaceOfTheOldFileOnlyWhenCommitted) {
  TempDir dir;
  const std::string path = dir.File("Velmo.ini");
  WriteBinaryFile(path, kOld);
  {
    ReplacementFile file(path, FileMode::kBinary);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.Write("new"));
    EXPECT_EQ(ReadBinaryFile(path), kOld);
    EXPECT_EQ(FileNames(dir).size(), 2u);
  }
  EXPECT_EQ(ReadBinaryFile(path), kOld) << "uncommitted";
  EXPECT_EQ(FileNames(dir), std::vector<std::string>{"Velmo.ini"});

  EXPECT_TRUE(platform::WriteFileReplacing(path, "A=1\nB=2\n", FileMode::kText));
#ifdef _WIN32
  const std::string lineEnds = "A=1\r\nB=2\r\n";
#else
  const std::string lineEnds = "A=1\nB=2\n";
#endif
  EXPECT_EQ(ReadBinaryFile(path), ByteBuffer(lineEnds.begin(), lineEnds.end()));
  EXPECT_EQ(FileNames(dir), std::vector<std::string>{"Velmo.ini"});
}

TEST(ReplacementFile, FailedMoveRemovesTheTemporaryFile) {
  TempDir dir;
  const std::string folderInTheWay = dir.File("out.z64");
  std::filesystem::create_directory(folderInTheWay);
  EXPECT_FALSE(platform::WriteFileReplacing(folderInTheWay, "data", FileMode::kBinary));
  EXPECT_TRUE(std::filesystem::is_directory(folderInTheWay));
  EXPECT_EQ(FileNames(dir), std::vector<std::string>{"out.z64"});
}

}  // namespace
}  // namespace velmo
