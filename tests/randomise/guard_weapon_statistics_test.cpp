#include <gtest/gtest.h>

#include <set>

#include "harness/scripted_random.h"
#include "randomise/weapon_choice.h"
#include "randomiser_fixture.h"

namespace velmo {
namespace {

using testing::Guard;
using testing::ScriptedRandom;
using testing::Weapon;

// Passes real generator values through and keeps them, so a test can replay
// the first draws of a level to learn which weapons it was given.
class RecordingRandom final : public RandomSource {
 public:
  explicit RecordingRandom(RandomSource& inner) : inner_(inner) {}
  std::uint32_t Draw() override { return values.emplace_back(inner_.Draw()); }
  void Reseed(std::uint32_t seed) override { inner_.Reseed(seed); }
  std::vector<std::uint32_t> values;

 private:
  RandomSource& inner_;
};

struct Tally {
  int levels = 0;
  int distinctPoolLevels = 0;
  int guards = 0;  // re-armed guards of levels whose three weapons all differ
  int special = 0;
  int secondary = 0;
  int primary = 0;
  int flagBit0 = 0;
  int flagBit1 = 0;
  int byte8Clear = 0;
  std::size_t mostWeaponsInALevel = 0;
};

class GuardWeaponStatisticsTest : public testing::RandomiserTest {
 protected:
  static constexpr int kGuardsPerLevel = 50;

  Tally RunLevels(std::uint32_t seed, int levelCount) {
    ClassicRandom generator(seed);
    Tally tally;
    for (int i = 0; i < levelCount; ++i) RunOneLevel(generator, tally);
    return tally;
  }

 private:
  void RunOneLevel(RandomSource& generator, Tally& tally) {
    RecordingRandom random(generator);
    GoldeneyeLevel level = MakeLevel(level::kDam, random);
    for (int g = 0; g < kGuardsPerLevel; ++g) {
      level.guards.push_back(Guard(static_cast<std::uint8_t>(g), 2));
      level.weapons.push_back(Weapon(static_cast<std::uint8_t>(g), 100, 1));
    }
    level.RandomiseGuardWeapons();
    ++tally.levels;

    WeaponChoice primary{};
    WeaponChoice secondary{};
    WeaponChoice special{};
    ScriptedRandom replay{random.values[0], random.values[1]};
    MakeLevel(level::kDam, replay).GetWeaponsForRandomisation(primary, secondary, special);

    std::set<std::uint32_t> weaponsInLevel;
    for (const WeaponEntry& weapon : level.weapons) {
      weaponsInLevel.insert(weapon.weaponId);
      tally.byte8Clear += weapon.byte8Clear;
    }
    tally.mostWeaponsInALevel = std::max(tally.mostWeaponsInALevel, weaponsInLevel.size());
    for (const GuardEntry& guard : level.guards) {
      EXPECT_FALSE(guard.flagBit0 && guard.flagBit1);
      tally.flagBit0 += guard.flagBit0;
      tally.flagBit1 += guard.flagBit1;
    }
    for (std::uint32_t weaponId : weaponsInLevel) {
      EXPECT_TRUE(weaponId == primary.weaponId || weaponId == secondary.weaponId ||
                  weaponId == special.weaponId);
    }

    // Only a level whose three weapons differ tells which one a guard got;
    // whether they differ depends on the first two draws alone, so leaving
    // the other levels out does not bias the guards' shares.
    if (primary.weaponId == secondary.weaponId || special.weaponId == primary.weaponId ||
        special.weaponId == secondary.weaponId) {
      return;
    }
    ++tally.distinctPoolLevels;
    for (const WeaponEntry& weapon : level.weapons) {
      ++tally.guards;
      tally.special += weapon.weaponId == special.weaponId;
      tally.secondary += weapon.weaponId == secondary.weaponId;
      tally.primary += weapon.weaponId == primary.weaponId;
    }
  }
};

TEST_F(GuardWeaponStatisticsTest, WeaponSharesAndFlagsOfReArmedGuards) {
  for (std::uint32_t seed : {1u, 0x5EEDu, 1700000000u}) {
    SCOPED_TRACE(seed);
    const Tally tally = RunLevels(seed, 2000);
    const double allGuards = double(tally.levels) * kGuardsPerLevel;

    EXPECT_LE(tally.mostWeaponsInALevel, 3u);
    ASSERT_GT(tally.distinctPoolLevels, 600);
    EXPECT_EQ(tally.special + tally.secondary + tally.primary, tally.guards);
    EXPECT_NEAR(tally.special / double(tally.guards), 1.0 / 10, 0.005);
    EXPECT_NEAR(tally.secondary / double(tally.guards), 81.0 / 250, 0.008);
    EXPECT_NEAR(tally.primary / double(tally.guards), 144.0 / 250, 0.008);

    EXPECT_NEAR(tally.flagBit0 / allGuards, 1.0 / 5, 0.01);
    EXPECT_NEAR(tally.flagBit1 / allGuards, 2.0 / 5, 0.01);
    EXPECT_NEAR(tally.byte8Clear / allGuards, 1.0 / 4, 0.01);
  }
}

}  // namespace
}  // namespace velmo
