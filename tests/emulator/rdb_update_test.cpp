#include "emulator/rdb_update.h"

#include <gtest/gtest.h>

#include "app/config_file.h"
#include "support/recording_console.h"
#include "support/temp_dir.h"

namespace velmo {
namespace {

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

class RdbUpdateTest : public ::testing::Test {
 protected:
  // Writes the configuration lines and runs the update with fixed checksums.
  void Run(const std::string& configLines) {
    WriteTextFile(configPath, configLines);
    ConfigFile config(configPath);
    EXPECT_TRUE(UpdateRDB(config, "0123ABCD", "00FF0001"));
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
  Run("UpdatePJ64=1\nPJ64RDBFile=/dev/full\n");
  EXPECT_EQ(console.Text(),
            "ERROR ROM::UpdateRDB(): Failed writing to [/dev/full] PJ64 RDB file, it is left as it "
            "was!\n");
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
