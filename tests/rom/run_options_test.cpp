#include "rom/run_options.h"

#include <gtest/gtest.h>

#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "support/config_file.h"

namespace velmo {
namespace {

using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteTextFile;

struct OptionsCase {
  const char* name;
  std::string configLines;
  bool valid;
  std::vector<std::string> log;
  std::optional<std::uint32_t> seed = std::nullopt;
  bool pj64GameEntry = false;
  bool writePatch = false;
};

std::string SeedError(const std::string& value) {
  return "ERROR LoadInROM(): Seed [" + value +
         "] in config file is not a number from 0 to 4294967295";
}

std::string SwitchError(const std::string& key, const std::string& value) {
  return "ERROR LoadInROM(): Option [" + key + "] has value [" + value +
         "] in config file, expected 0 or 1";
}

std::string SwitchOff(const std::string& key) {
  return "INFO LoadInROM(): Option [" + key + "] is off, not randomising it";
}

void PrintTo(const OptionsCase& c, std::ostream* os) {
  *os << c.name;
}

class RunOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(RunOptionsTest, ReadsExactValuesAndReportsThemInOrder) {
  const OptionsCase& c = GetParam();
  TempDir dir;
  WriteTextFile(dir.File("Velmo.ini"), c.configLines);
  const ConfigFile config(dir.File("Velmo.ini"));
  RecordingConsole console;
  RunOptions options;
  EXPECT_EQ(ReadRunOptions(config, 3, options), c.valid);
  EXPECT_EQ(console.Lines(), c.log);
  if (c.valid) {
    EXPECT_EQ(options.seed, c.seed);
    EXPECT_EQ(options.pj64GameEntry, c.pj64GameEntry);
    EXPECT_EQ(options.writePatch, c.writePatch);
  }
}

const std::string kAllSwitchesOff =
    "RandomiseCubaBody=0\nRandomiseKeys=0\nAddNemesis=0\nRandomiseGuardWeapons=0\n"
    "RandomiseGuardTypes=0\nRandomiseStartingWeapons=0\nSpoilerLog=0\n";

INSTANTIATE_TEST_SUITE_P(
    Values, RunOptionsTest,
    ::testing::Values(
        OptionsCase{"EmptyValuesCountAsAbsent", "Seed=\nSpoilerLog=\nAddNemesis=\n", true, {}},
        OptionsCase{"LargestSeedWithLeadingZeros",
                    "Seed=004294967295\nRandomiseKeys=1\n",
                    true,
                    {"INFO LoadInROM(): Using seed [4294967295] from config file"},
                    4294967295u},
        // Switches come after the seed, in their fixed order, whatever the file's order.
        OptionsCase{"EverySwitchOff",
                    "Seed=0\n" + kAllSwitchesOff,
                    true,
                    {"INFO LoadInROM(): Using seed [0] from config file",
                     SwitchOff("RandomiseStartingWeapons"), SwitchOff("RandomiseGuardTypes"),
                     SwitchOff("RandomiseGuardWeapons"), SwitchOff("AddNemesis"),
                     SwitchOff("RandomiseKeys"), SwitchOff("RandomiseCubaBody")},
                    0},
        // Every bad value is named, in the order seed, spoiler log, switches, and
        // the valid seed and switch get no INFO line.
        OptionsCase{"EveryBadValueNamedAndNoInfoLines",
                    "RandomiseCubaBody=2\nAddNemesis= 0\nSeed=7\nRandomiseKeys=0\n"
                    "RandomiseGuardTypes=yes\nSpoilerLog=1\n",
                    false,
                    {SwitchError("RandomiseGuardTypes", "yes"), SwitchError("AddNemesis", " 0"),
                     SwitchError("RandomiseCubaBody", "2")}},
        OptionsCase{"BadSeedAndSwitch",
                    "Seed=x\nRandomiseStartingWeapons=00\n",
                    false,
                    {SeedError("x"), SwitchError("RandomiseStartingWeapons", "00")}},
        // The game entry is no randomiser: off or on, it has no INFO line.
        OptionsCase{"GameEntryOnWhenEmpty", "PJ64GameEntry=\n", true, {}, std::nullopt, true},
        OptionsCase{"GameEntryOn", "PJ64GameEntry=1\n", true, {}, std::nullopt, true},
        OptionsCase{"GameEntryOff", "PJ64GameEntry=0\n", true, {}},
        OptionsCase{"GameEntryBadValueLast",
                    "PJ64GameEntry=on\nConvertByteOrder=2\n",
                    false,
                    {SwitchError("ConvertByteOrder", "2"), SwitchError("PJ64GameEntry", "on")}},
        OptionsCase{"WritePatchOnWhenEmpty", "WritePatch=\n", true, {}, std::nullopt, false, true},
        OptionsCase{
            "WritePatchBadValue", "WritePatch=yes\n", false, {SwitchError("WritePatch", "yes")}},
        // The share code's seed and switches; Seed and the switch keys are not even read.
        OptionsCase{"ShareCodeTakesThePlaceOfSeedAndSwitches",
                    "Seed=abc\nAddNemesis=yes\nRandomiseGuardTypes=1\nShareCode=R3-42-101110\n",
                    true,
                    {"INFO LoadInROM(): Using share code [R3-42-101110] from config file",
                     SwitchOff("RandomiseGuardTypes"), SwitchOff("RandomiseCubaBody")},
                    42},
        OptionsCase{"EmptyShareCodeCountsAsAbsent",
                    "ShareCode=\nSeed=5\nAddNemesis=0\n",
                    true,
                    {"INFO LoadInROM(): Using seed [5] from config file", SwitchOff("AddNemesis")},
                    5},
        OptionsCase{"BadShareCodeNamedFirst",
                    "ConvertByteOrder=2\nSeed=x\nShareCode=R3-42\n",
                    false,
                    {"ERROR ShareCode [R3-42] is not a share code: "
                     "R<release>-<seed>-<six digits 0 or 1>",
                     SwitchError("ConvertByteOrder", "2")}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmo
