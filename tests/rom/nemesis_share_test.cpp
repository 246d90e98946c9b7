#include <gtest/gtest.h>

#include <algorithm>

#include "assets/file_table.h"
#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"
#include "randomise/random_source.h"
#include "randomise/randomiser_switches.h"
#include "rom/level_loop.h"
#include "support/config_file.h"

namespace velmo {
namespace {

using testing::RecordingConsole;
using testing::TempDir;

// The level loop over every level of a generated image, many times with the
// run's real generator: the share of levels chosen for a Nemesis comes out
// near one in five.
TEST(NemesisShare, AboutOneLevelInFiveIsChosenOverManySeeds) {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  const ByteBuffer original = image_builder::BuildImage(options).bytes;
  ByteBuffer table;
  std::vector<SetupFileEntry> tableFiles;
  {
    RecordingConsole quiet;
    ASSERT_TRUE(Load21990Data(original, table));
    ASSERT_TRUE(ProcessFileTable(table, original.size(), tableFiles));
  }
  TempDir dir;
  ConfigFile config(dir.File("Velmo.ini"));

  constexpr std::uint32_t kRuns = 60;
  std::size_t levels = 0;
  std::size_t chosen = 0;
  for (std::uint32_t seed = 1; seed <= kRuns; ++seed) {
    ByteBuffer image = original;
    std::vector<SetupFileEntry> files = tableFiles;
    std::vector<LevelReport> reports;
    ClassicRandom random(seed * 7919u);
    RecordingConsole console;
    ASSERT_TRUE(ProcessROM(image, files, RandomiserSwitches{}, config, random, reports));
    const std::vector<std::string> lines = console.Lines();
    levels += files.size();
    chosen += static_cast<std::size_t>(
        std::count(lines.begin(), lines.end(),
                   "TRACE GoldeneyeLevel::RandomiseLevel(): Adding Nemesis character"));
  }
  // 1260 levels: one in five is 252, with a standard deviation of about 14.
  EXPECT_EQ(levels, 21u * kRuns);
  EXPECT_GE(chosen, 202u);
  EXPECT_LE(chosen, 302u);
}

}  // namespace
}  // namespace velmo
