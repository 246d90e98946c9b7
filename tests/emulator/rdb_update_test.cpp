#include "emulator/rdb_update.h"

#include <gtest/gtest.h>

#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "support/config_file.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::ReadTextFile;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteTextFile;

const char kSection[] =
    "\n[0123ABCD-00FF0001-C:45]\n"
    "Good Name=GoldenEye 007 (Randomised by Velmo)\n"
    "Status=Compatible\n"
    "32bit=No\n"
    "Clear Frame=2\n"
    "Culling=1\n"
    "FuncFind=2\n"
    "Rom In Memory=1\n"
    "SMM-Cache=0\n"
    "SMM-FUNC=0\n"
    "SMM-PI DMA=0\n"
    "SMM-TLB=0\n";

const char kGameEntry[] = "\n[GOLDENEYE-C:45]\nAlt Identifier=DCBC50D1-09FD1AA3-C:45\n";
const char kGameEntryAdded[] =
    "SUCCESS ROM::UpdateRDB(): Added the Project 64 entry for every randomised GoldenEye "
    "[GOLDENEYE-C:45]";
const char kGameEntryThere[] =
    "INFO ROM::UpdateRDB(): The Project 64 entry for every randomised GoldenEye is already there";

class RdbUpdateTest : public ::testing::Test {
 protected:
  // Writes the configuration lines and runs the update with fixed checksums.
  void Run(const std::string& configLines, Pj64Entry entry = Pj64Entry::kImageSection) {
    WriteTextFile(configPath, configLines);
    ConfigFile config(configPath);
    EXPECT_TRUE(UpdateRDB(config, "0123ABCD", "00FF0001", entry));
  }

  void RunWithGameEntry() {
    Run("UpdatePJ64=1\nPJ64RDBFile=" + rdbPath + "\n", Pj64Entry::kGameEntry);
  }

  TempDir dir;
  std::string configPath = dir.File("Velmo.ini");
  std::string rdbPath = dir.File("Project64.rdb");
  RecordingConsole console;
};

TEST_F(RdbUpdateTest, NewFileHoldsAnEmptyLineAndTheSection) {
  Run("UpdatePJ64=1\nPJ64RDBFile=" + rdbPath + "\n");
  EXPECT_EQ(ReadTextFile(rdbPath), kSection);
  EXPECT_EQ(console.Text(), "SUCCESS ROM::UpdateRDB(): Updated Project 64 RDB entry file\n");
}

TEST_F(RdbUpdateTest, TwoRunsAppendTwoSectionsAndKeepWhatWasThere) {
  WriteTextFile(rdbPath, "[Existing]\nGood Name=x");
  Run("UpdatePJ64=-1\nPJ64RDBFile=" + rdbPath + "\n");
  Run("UpdatePJ64=-1\nPJ64RDBFile=" + rdbPath + "\n");
  EXPECT_EQ(ReadTextFile(rdbPath), std::string("[Existing]\nGood Name=x") + kSection + kSection);
}

TEST_F(RdbUpdateTest, TwoRunsWithTheGameEntryAddItOnceAndNoImageSection) {
  WriteTextFile(rdbPath, "[Existing]\nGood Name=x");
  RunWithGameEntry();
  RunWithGameEntry();
  EXPECT_EQ(ReadTextFile(rdbPath), std::string("[Existing]\nGood Name=x") + kGameEntry);
  EXPECT_EQ(console.Lines(), (std::vector<std::string>{kGameEntryAdded, kGameEntryThere}));
}

struct DatabaseText {
  const char* name;
  const char* text;
  bool holdsTheEntry;
};

void PrintTo(const DatabaseText& database, std::ostream* out) {
  *out << database.name;
}

class GameEntryLookup : public RdbUpdateTest, public ::testing::WithParamInterface<DatabaseText> {};

// Project64 trims a section's line and its name and ignores case; anything
// else is some other line, and the entry is added.
TEST_P(GameEntryLookup, LeavesADatabaseWithTheEntryAsItWas) {
  const DatabaseText& database = GetParam();
  WriteTextFile(rdbPath, database.text);
  RunWithGameEntry();
  if (database.holdsTheEntry) {
    // Byte for byte, CR LF line ends and all, on every system.
    const std::string text = database.text;
    EXPECT_EQ(ReadBinaryFile(rdbPath), ByteBuffer(text.begin(), text.end()));
    EXPECT_EQ(console.Lines(), std::vector<std::string>{kGameEntryThere});
  } else {
    EXPECT_EQ(ReadTextFile(rdbPath), database.text + std::string(kGameEntry));
    EXPECT_EQ(console.Lines(), std::vector<std::string>{kGameEntryAdded});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GameEntryLookup,
    ::testing::Values(
        DatabaseText{"SpacesAroundAndLowerCase", "[Other]\n  [goldeneye-c:45]  \nA=1\n", true},
        DatabaseText{"TabsAndCrLfInsideAndOut", "\t[\tGoldenEye-C:45 \t]\r\nA=1\r\n", true},
        DatabaseText{"LastLineWithoutLineFeed", "[Other]\n[GOLDENEYE-C:45]", true},
        DatabaseText{"Empty", "", false},
        DatabaseText{"KeyNotSection", "Name=[GOLDENEYE-C:45]\n", false},
        DatabaseText{"MoreAfterTheBracket", "[GOLDENEYE-C:45] ;x\n", false},
        DatabaseText{"SpaceInsideTheName", "[GOLDENEYE -C:45]\n", false},
        DatabaseText{"OtherCountry", "[GOLDENEYE-C:50]\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RdbUpdateTest, GameEntryIsNotAddedToADatabaseThatCannotBeRead) {
  std::filesystem::create_directory(rdbPath);
  RunWithGameEntry();
  EXPECT_EQ(console.Lines(),
            (std::vector<std::string>{
                "ERROR ROM::UpdateRDB(): Unable to load [" + rdbPath + "] PJ64 RDB file!",
                "ERROR ROM::UpdateRDB(): Check PJ64 is not running"}));
}

TEST_F(RdbUpdateTest, EmptyPathGivesTheTwoErrorLines) {
  Run("UpdatePJ64=1\nPJ64RDBFile=\n");
  EXPECT_EQ(console.Text(),
            "ERROR ROM::UpdateRDB(): Unable to load [] PJ64 RDB file!\n"
            "ERROR ROM::UpdateRDB(): Check PJ64 is not running\n");
}

TEST_F(RdbUpdateTest, FailedWriteIsReportedInsteadOfSuccess) {
#ifdef _WIN32
  GTEST_SKIP() << "needs /dev/full, a file every write to fails";
#else
  // /dev/full also reads as endless zeros: the lookup must stop by itself.
  for (const Pj64Entry entry : {Pj64Entry::kImageSection, Pj64Entry::kGameEntry}) {
    Run("UpdatePJ64=1\nPJ64RDBFile=/dev/full\n", entry);
  }
  const std::string failed =
      "ERROR ROM::UpdateRDB(): Failed writing to [/dev/full] PJ64 RDB file, it is left as it was!";
  EXPECT_EQ(console.Lines(), (std::vector<std::string>{failed, failed}));
#endif
}

TEST_F(RdbUpdateTest, OptionsThatSkipTheUpdate) {
  Run("PJ64RDBFile=" + rdbPath + "\n");
  Run("UpdatePJ64=0\nPJ64RDBFile=" + rdbPath + "\n");
  Run("UpdatePJ64=yes\nPJ64RDBFile=" + rdbPath + "\n");
  Run("UpdatePJ64=1\n");
  EXPECT_EQ(
      console.Text(),
      "WARN ROM::UpdateRDB(): Missing entry 'UpdatePJ64' in config file, will not update PJ64 "
      "RDB\n"
      "WARN ROM::UpdateRDB(): Option set not to update PJ64 RDB file\n"
      "WARN ROM::UpdateRDB(): Option set not to update PJ64 RDB file\n"
      "ERROR ROM::UpdateRDB(): Missing entry 'PJ64RDBFile' in config file, will not update "
      "PJ64 RDB!\n");
  EXPECT_FALSE(std::filesystem::exists(rdbPath));
}

}  // namespace
}  // namespace velmo
