#include <gtest/gtest.h>

#include "harness/scripted_random.h"
#include "randomiser_fixture.h"

namespace velmo {
namespace {

using testing::CaptureState;
using testing::ExpectState;
using testing::LevelState;
using testing::ScriptedRandom;

class StartingWeaponsTest : public testing::RandomiserTest {
 protected:
  static void AddStartingEntries(GoldeneyeLevel& level) {
    level.startWeapons = {{0x20, 7, 9, 1}, {0x30, 8, 0, 2}};
    level.startAmmo = {{0x40, 3, 77, 1}, {0x50, 4, 66, 2}};
  }
};

struct LoadoutCase {
  std::vector<std::uint32_t> draws;  // the row draw first
  std::uint32_t weaponId;
  std::uint32_t secondWeaponId;
  std::uint32_t ammoType;
  std::uint16_t amount;
};

TEST_F(StartingWeaponsTest, EachLoadoutRowTakesItsDrawsAndSetsTheFirstEntries) {
  const std::vector<LoadoutCase> cases = {
      {{0}, 23, 0, 24, 200},
      {{1, 4}, 16, 0, 4, 100},
      {{1, 5}, 16, 0, 4, 60},
      {{2, 2}, 3, 0, 10, 15},
      {{3, 5}, 11, 0, 1, 120},
      {{4, 3}, 12, 0, 1, 150},  // 2 + (3 & 1) = 3
      {{4, 2}, 12, 0, 1, 100},
      {{5, 3, 7}, 18, 18, 12, 42},  // one in three gives the second weapon; 4 + (7 & 3) = 7
      {{5, 4, 4}, 18, 0, 12, 24},
      {{6, 5}, 19, 0, 13, 10},
      {{6, 6}, 19, 0, 13, 5},
      {{7, 1}, 10, 0, 1, 90},
      {{8, 9}, 15, 0, 4, 80},
      {{9}, 20, 0, 1, 35},
      {{10, 2}, 6, 0, 1, 48},
      {{11, 10}, 22, 0, 5, 15},
      {{11 + 12 * 2000, 11}, 22, 0, 5, 5},
  };
  for (const LoadoutCase& loadout : cases) {
    SCOPED_TRACE("row draw " + std::to_string(loadout.draws.front()));
    ScriptedRandom random(loadout.draws);
    GoldeneyeLevel level = MakeLevel(level::kDam, random);
    AddStartingEntries(level);
    LevelState expected = CaptureState(level);

    level.RandomiseStartingWeapons();

    expected.startWeapons[0].weaponId = loadout.weaponId;
    expected.startWeapons[0].secondWeaponId = loadout.secondWeaponId;
    expected.startAmmo[0].ammoType = loadout.ammoType;
    expected.startAmmo[0].amount = loadout.amount;
    ExpectState(level, expected);
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(StartingWeaponsTest, Bunker2KeepsItsStartWithoutADraw) {
  ScriptedRandom random{};
  GoldeneyeLevel level = MakeLevel(level::kBunker2, random);
  AddStartingEntries(level);
  const LevelState before = CaptureState(level);
  level.RandomiseStartingWeapons();
  ExpectState(level, before);
}

TEST_F(StartingWeaponsTest, MissingWeaponOrAmmunitionEntryLeavesTheLevelAlone) {
  ScriptedRandom random{};
  GoldeneyeLevel withoutAmmo = MakeLevel(level::kDam, random);
  AddStartingEntries(withoutAmmo);
  withoutAmmo.startAmmo.clear();
  const LevelState ammoBefore = CaptureState(withoutAmmo);
  withoutAmmo.RandomiseStartingWeapons();
  ExpectState(withoutAmmo, ammoBefore);

  GoldeneyeLevel withoutWeapons = MakeLevel(level::kSilo, random);
  AddStartingEntries(withoutWeapons);
  withoutWeapons.startWeapons.clear();
  const LevelState weaponsBefore = CaptureState(withoutWeapons);
  withoutWeapons.RandomiseStartingWeapons();
  ExpectState(withoutWeapons, weaponsBefore);
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace velmo
