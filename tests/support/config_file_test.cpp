#include "support/config_file.h"

#include <gtest/gtest.h>

#include <limits>

#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "rom/randomised_rom_count.h"

namespace velmo {
namespace {

using testing::ReadTextFile;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteTextFile;

TEST(ConfigFile, FiveLineExampleIsNormalisedAndCounted) {
  TempDir dir;
  const std::string path = dir.File("Velmo.ini");
  WriteTextFile(
      path,
      "TraceLogging=1\n# keep things tidy\n\nUpdatePJ64=0\nPJ64RDBFile=C:\\PJ64\\Project64.rdb\n");
  RecordingConsole console;
  {
    ConfigFile config(path);
    IncrementRandomisedROMCount(config);
  }
  EXPECT_EQ(
      ReadTextFile(path),
      "TraceLogging=1\nUpdatePJ64=0\nPJ64RDBFile=C:\\PJ64\\Project64.rdb\nRandomisedROMs=1\n");
  EXPECT_EQ(
      console.Text(),
      "WARN ROM::UpdateRDB(): Missing entry 'RandomisedROMs' in config file, will recreate\n");
}

TEST(ConfigFile, KeysAreTakenExactlyAsWritten) {
  TempDir dir;
  const std::string path = dir.File("Velmo.ini");
  WriteTextFile(path, "TraceLogging = 1\n=5\nA=1\nB=x=y\nA=2\n\xEF\xBB\xBFUpdatePJ64=1\n");
  ConfigFile config(path);
  std::int32_t number = -7;
  EXPECT_FALSE(config.GetInt(kTraceLoggingKey, number));
  EXPECT_EQ(number, -7);
  std::string text;
  EXPECT_TRUE(config.GetString("TraceLogging ", text));
  EXPECT_EQ(text, " 1");
  EXPECT_TRUE(config.GetInt("", number));
  EXPECT_EQ(number, 5);
  EXPECT_TRUE(config.GetInt("A", number));
  EXPECT_EQ(number, 2);
  EXPECT_TRUE(config.GetString("B", text));
  EXPECT_EQ(text, "x=y");
  EXPECT_FALSE(config.GetInt(kUpdatePJ64Key, number));  // the byte-order mark is part of the key
  EXPECT_FALSE(TraceLoggingEnabled(config));
  config.Save();
  EXPECT_EQ(ReadTextFile(path),
            "TraceLogging = 1\n=5\nA=2\nB=x=y\nA=2\n\xEF\xBB\xBFUpdatePJ64=1\n");
}

TEST(ConfigFile, GetIntConvertsAsAtoi) {
  EXPECT_EQ(ParseLeadingInt("  42abc"), 42);
  EXPECT_EQ(ParseLeadingInt("-1"), -1);
  EXPECT_EQ(ParseLeadingInt("+7"), 7);
  EXPECT_EQ(ParseLeadingInt("yes"), 0);
  EXPECT_EQ(ParseLeadingInt(""), 0);
  EXPECT_EQ(ParseLeadingInt("99999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ParseLeadingInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(ConfigFile, MissingFileIsEmptyAndSaveCreatesIt) {
  TempDir dir;
  const std::string path = dir.File("absent.ini");
  {
    ConfigFile config(path);
    std::string text;
    EXPECT_FALSE(config.GetString(kPJ64RDBFileKey, text));
    config.SetInt("RandomisedROMs", -3);
    config.SetString("RandomisedROMs", "4");
  }
  EXPECT_EQ(ReadTextFile(path), "RandomisedROMs=4\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(ConfigFile, WindowsLineEndsAreLineEnds) {
  TempDir dir;
  const std::string path = dir.File("Velmo.ini");
  WriteTextFile(path, "PJ64RDBFile=C:\\rdb\r\nTraceLogging=1\r\n");
  ConfigFile config(path);
  std::string text;
  ASSERT_TRUE(config.GetString(kPJ64RDBFileKey, text));
  EXPECT_EQ(text, "C:\\rdb");
  EXPECT_TRUE(TraceLoggingEnabled(config));
}

TEST(RandomisedRomCount, CountsUpAndStopsAtTheTop) {
  TempDir dir;
  const std::string path = dir.File("Velmo.ini");
  WriteTextFile(path, "RandomisedROMs=41\nOther=2147483647\n");
  RecordingConsole console;
  ConfigFile config(path);
  IncrementRandomisedROMCount(config);
  std::int32_t count = 0;
  ASSERT_TRUE(config.GetInt(kRandomisedROMsKey, count));
  EXPECT_EQ(count, 42);
  config.SetInt(kRandomisedROMsKey, std::numeric_limits<std::int32_t>::max());
  IncrementRandomisedROMCount(config);
  ASSERT_TRUE(config.GetInt(kRandomisedROMsKey, count));
  EXPECT_EQ(count, std::numeric_limits<std::int32_t>::max());
  EXPECT_TRUE(console.Text().empty());
}

}  // namespace
}  // namespace velmo
