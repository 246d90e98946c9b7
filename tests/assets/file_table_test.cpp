#include "assets/file_table.h"

#include <gtest/gtest.h>

#include <ostream>

#include "assets/table_fixture.h"
#include "harness/recording_console.h"

namespace velmo {
namespace {

using testing::RecordingConsole;
using testing::TableFixture;

TEST(FileTable, FindsTheTwentyOneSetupFilesInTableOrder) {
  TableFixture fixture;
  RecordingConsole console;
  std::vector<SetupFileEntry> files;
  ASSERT_TRUE(ProcessFileTable(fixture.table, fixture.image.size(), files));
  ASSERT_EQ(files.size(), 21u);
  EXPECT_EQ(files[0].levelId, level::kArchives);
  EXPECT_EQ(files[0].romOffset, 0x8AB000u);
  EXPECT_EQ(files[0].availableSize, 0x8AF81Fu - 0x8AB000u);
  std::uint32_t total = 0;
  for (std::uint32_t k = 0; k < files.size(); ++k) {
    EXPECT_EQ(files[k].tablePosition, 0x26FB8u + 12 * k);
    EXPECT_EQ(files[k].memLevel, files[k].levelId == level::kTrain ? 6 : 5);
    EXPECT_TRUE(files[k].setupData.empty());
    total += files[k].availableSize;
  }
  EXPECT_EQ(files[20].levelId, level::kTrain);
  EXPECT_EQ(console.Text(), "INFO ProcessFileTable(): Finished parsing file table [" +
                                std::to_string(total) + "] bytes available\n");
}

struct RefusalCase {
  const char* name;
  std::uint32_t offset;
  std::uint32_t value;
  std::uint64_t imageSize;
  std::vector<std::string> lines;
};

// Names the case in test listings (instead of its raw bytes).
void PrintTo(const RefusalCase& refusal, std::ostream* out) {
  *out << refusal.name;
}

class FileTableRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(FileTableRefusal, RefusesWithItsLinesAndNoRecords) {
  const RefusalCase& refusal = GetParam();
  TableFixture fixture;
  fixture.SetWord(refusal.offset, refusal.value);
  RecordingConsole console;
  std::vector<SetupFileEntry> files;
  EXPECT_FALSE(ProcessFileTable(fixture.table, refusal.imageSize, files));
  EXPECT_TRUE(files.empty());
  EXPECT_EQ(console.Lines(), refusal.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileTableRefusal,
    ::testing::Values(
        RefusalCase{"FirstWordNotArchives",
                    0x26FB0,
                    0,
                    0xC00000,
                    {"WARN ProcessFileTable(): First entry in 21990 table [0] is not what was "
                     "expected!"}},
        RefusalCase{"AssetOutOfRange",
                    0x26FB0 + 12 * 3,
                    700,
                    0xC00000,
                    {"ERROR ProcessFileTable(): Encountered an unexpected asset ID",
                     "ERROR ProcessFileTable(): Asset ID [700] of entry [3] is not a level setup "
                     "file"}},
        RefusalCase{"RepeatedAsset",
                    0x26FB0 + 12 * 5,
                    618,
                    0xC00000,
                    {"ERROR ProcessFileTable(): Asset ID [618] of entry [5] appears more than "
                     "once"}},
        RefusalCase{"OffsetBeyondEndBound",
                    0x26FB8 + 12 * 2,
                    0x8B5CB0,
                    0xC00000,
                    {"ERROR ProcessFileTable(): Setup file of entry [2] at [008b5cb0] lies "
                     "beyond its end bound [008b5caf] or the image"}},
        RefusalCase{"ImageEndsBeforeTheSetupFiles",
                    0x26FB0,
                    617,
                    0x8B0000,
                    {"ERROR ProcessFileTable(): Setup file of entry [1] at [008af820] lies "
                     "beyond its end bound [008b33af] or the image"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileTable, ShortTableIsRefusedWithoutReadingPastIt) {
  TableFixture fixture;
  fixture.table.resize(0x26FB0 + 12 * 4);
  RecordingConsole console;
  std::vector<SetupFileEntry> files;
  EXPECT_FALSE(ProcessFileTable(fixture.table, fixture.image.size(), files));
  EXPECT_TRUE(files.empty());
  EXPECT_EQ(console.LinesStartingWith("ERROR GetDWORDFromOffset():").size(), 2u);
}

}  // namespace
}  // namespace velmo
