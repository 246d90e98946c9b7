#include <gtest/gtest.h>

#include "harness/recording_console.h"
#include "harness/scripted_random.h"
#include "harness/temp_dir.h"
#include "level/setup_bytes.h"
#include "randomise/randomiser_switches.h"
#include "rom/randomise_level.h"
#include "support/config_file.h"

namespace velmo {
namespace {

using namespace testing;

// One armed common guard, two keys and a starting loadout: something for
// every randomiser of Facility, and of Cuba, to work on.
ByteBuffer LevelWithSomethingForEveryRandomiser() {
  return SetupFile()
      .Intro(StartWeaponRecord(4, 0xFFFFFFFF, 0))
      .Intro(StartAmmoRecord(1, 20, 0))
      .Intro(EndOfIntro())
      .Object(GuardRecord(1, 2, 0))
      .Object(WeaponRecord(191, 1, 0x10, 4))
      .Object(KeyRecord(5, 2))
      .Object(KeyRecord(6, 3))
      .Object(EndOfObjects())
      .Build();
}

// The draws each randomiser takes on that level, in the order they run.
const std::vector<std::uint32_t> kStartingWeaponDraws = {0};  // row 0, no amount draw
const std::vector<std::uint32_t> kGuardTypeDraws = {1};       // the guard stays type 2
// Both pools, then the guard's flags, chances and byte 8: re-armed, not promoted.
const std::vector<std::uint32_t> kGuardWeaponDraws = {0, 0, 1, 1, 0, 1, 1, 1, 1};
const std::vector<std::uint32_t> kNemesisDraws = {0, 0};  // Valentin, RC-P90
const std::vector<std::uint32_t> kKeyDraws = {0, 0};      // keycard B's holder and model
const std::vector<std::uint32_t> kCubaDraws = {0};        // Mayday

struct SwitchCase {
  const char* name;
  LevelId levelId;
  bool RandomiserSwitches::*off;  // null: every randomiser on
  std::vector<std::vector<std::uint32_t>> draws;
};

void PrintTo(const SwitchCase& c, std::ostream* os) {
  *os << c.name;
}

class RandomiseLevelSwitches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(RandomiseLevelSwitches, ARandomiserThatIsOffTakesNoDrawAndReportsNothing) {
  const SwitchCase& c = GetParam();
  RandomiserSwitches switches;
  if (c.off != nullptr) switches.*c.off = false;
  std::vector<std::uint32_t> script;
  for (const auto& draws : c.draws) script.insert(script.end(), draws.begin(), draws.end());

  TempDir dir;
  const ConfigFile config(dir.File("Velmo.ini"));
  RecordingConsole console;
  ScriptedRandom random(script);
  ByteBuffer setup = LevelWithSomethingForEveryRandomiser();
  const LevelReport report = RandomiseLevel(setup, c.levelId, true, switches, config, random);

  const bool isFacility = c.levelId == level::kFacility;
  EXPECT_EQ(report.loadout.has_value(), switches.startingWeapons);
  EXPECT_EQ(report.guardTypeChanges.has_value(), switches.guardTypes && isFacility);
  EXPECT_EQ(report.guardWeapons.has_value(), switches.guardWeapons);
  const NemesisOutcome nemesis = !switches.nemesis ? NemesisOutcome::kSwitchedOff
                                 : isFacility      ? NemesisOutcome::kAdded
                                                   : NemesisOutcome::kNeverInLevel;
  EXPECT_EQ(report.nemesis.outcome, nemesis);
  EXPECT_EQ(report.keys.size(), switches.keys && isFacility ? 2u : 0u);
  EXPECT_EQ(report.cubaBody.has_value(), switches.cubaBody && !isFacility);
}

INSTANTIATE_TEST_SUITE_P(
    EachSwitch, RandomiseLevelSwitches,
    ::testing::Values(
        SwitchCase{
            "AllOn",
            level::kFacility,
            nullptr,
            {kStartingWeaponDraws, kGuardTypeDraws, kGuardWeaponDraws, kNemesisDraws, kKeyDraws}},
        SwitchCase{"StartingWeaponsOff",
                   level::kFacility,
                   &RandomiserSwitches::startingWeapons,
                   {kGuardTypeDraws, kGuardWeaponDraws, kNemesisDraws, kKeyDraws}},
        SwitchCase{"GuardTypesOff",
                   level::kFacility,
                   &RandomiserSwitches::guardTypes,
                   {kStartingWeaponDraws, kGuardWeaponDraws, kNemesisDraws, kKeyDraws}},
        SwitchCase{"GuardWeaponsOff",
                   level::kFacility,
                   &RandomiserSwitches::guardWeapons,
                   {kStartingWeaponDraws, kGuardTypeDraws, kNemesisDraws, kKeyDraws}},
        SwitchCase{"NemesisOff",
                   level::kFacility,
                   &RandomiserSwitches::nemesis,
                   {kStartingWeaponDraws, kGuardTypeDraws, kGuardWeaponDraws, kKeyDraws}},
        SwitchCase{"KeysOff",
                   level::kFacility,
                   &RandomiserSwitches::keys,
                   {kStartingWeaponDraws, kGuardTypeDraws, kGuardWeaponDraws, kNemesisDraws}},
        SwitchCase{"CubaAllOn",
                   level::kCuba,
                   nullptr,
                   {kStartingWeaponDraws, kGuardWeaponDraws, kCubaDraws}},
        SwitchCase{"CubaBodyOff",
                   level::kCuba,
                   &RandomiserSwitches::cubaBody,
                   {kStartingWeaponDraws, kGuardWeaponDraws}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmo
