#include <gtest/gtest.h>

#include "harness/scripted_random.h"
#include "randomise/guard_type_swap.h"
#include "randomiser_fixture.h"

namespace velmo {
namespace {

using testing::Attachment;
using testing::CaptureState;
using testing::ExpectState;
using testing::Guard;
using testing::LevelState;
using testing::ScriptedRandom;
using testing::Weapon;

class GuardTypesTest : public testing::RandomiserTest {
 protected:
  static void AddSwappableGuards(GoldeneyeLevel& level) {
    level.guards = {Guard(1, 35), Guard(2, 2), Guard(3, 3), Guard(4, 4)};
    level.weapons = {Weapon(1, 100, 1), Weapon(2, 101, 2)};
    level.attachments = {Attachment(2, 300)};
  }
};

TEST_F(GuardTypesTest, OnlyFacilitySiloAndCavesAreTouched) {
  for (LevelId id = -1; id <= 22; ++id) {
    if (id == level::kFacility || id == level::kSilo || id == level::kCaves) continue;
    ScriptedRandom random{};
    GoldeneyeLevel level = MakeLevel(id, random);
    AddSwappableGuards(level);
    const LevelState before = CaptureState(level);
    level.RandomiseGuardTypes();
    ExpectState(level, before);
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(GuardTypesTest, FacilitySwapsGuardsAndMovesTheirItems) {
  ScriptedRandom random{
      // Guard 1 (type 2, armed, attachment): becomes 35; 5 mod 5 = 0 re-models
      // the attachment; 1 mod 3 sets the word; 4 mod 3 drops the weapon.
      0, 5, 1, 4,
      // Guard 2 (type 2, unarmed, attachment): becomes 35; attachment detached; word.
      10, 2,
      // Guard 3 (type 35): back to 2 (6 mod 6), picks up guard 1's weapon (3 mod 3).
      6, 3,
      // Guard 4 (type 35): back to 2; the pick-up value is taken with nothing spare.
      12, 0,
      // Guard 5 (type 35): stays.
      1,
      // Guard 6 (type 2): stays.
      3,
      // Guards 7 (character) and 8 (type 3) take nothing.
      // Guard 9 (type 2, armed): 35, stays armed (3 mod 3), 1 mod 3 gives (8, 184).
      0, 3, 1,
      // Guard 10 (type 2, armed): 35, stays armed, 0 gives (4, 191).
      20, 0, 30,
      // Guard 11 (type 2, armed, attachment): 35, attachment detached, word,
      // keeps a weapon as (7, 193) since 3 mod 3 = 0.
      0, 1, 2, 3};
  GoldeneyeLevel level = MakeLevel(level::kFacility, random);
  level.guards = {Guard(1, 2), Guard(2, 2), Guard(3, 35), Guard(4, 35), Guard(5, 35), Guard(6, 2),
                  Guard(7, 9), Guard(8, 3), Guard(9, 2),  Guard(10, 2), Guard(11, 2)};
  level.weapons = {Weapon(1, 100, 1), Weapon(9, 109, 9), Weapon(10, 110, 10), Weapon(11, 111, 11),
                   Weapon(3, 103, 3)};
  level.attachments = {Attachment(1, 301), Attachment(2, 302), Attachment(11, 311)};
  LevelState expected = CaptureState(level);

  level.RandomiseGuardTypes();

  expected.guards[0].bodyType = 35;
  expected.guards[0].byte10 = 4;
  expected.guards[0].byte11 = 13;
  expected.attachments[0].modelId = 223;
  expected.guards[1].bodyType = 35;
  expected.guards[1].byte10 = 4;
  expected.guards[1].byte11 = 13;
  expected.attachments[1].holderId = 255;
  expected.guards[2].bodyType = 2;
  // Guard 1's weapon was dropped, then picked up by guard 3.
  expected.weapons[0].holderId = 3;
  expected.weapons[0].modelId = 193;
  expected.weapons[0].weaponId = 7;
  expected.guards[3].bodyType = 2;
  expected.guards[8].bodyType = 35;
  expected.weapons[1].modelId = 184;
  expected.weapons[1].weaponId = 8;
  expected.guards[9].bodyType = 35;
  expected.weapons[2].modelId = 191;
  expected.weapons[2].weaponId = 4;
  expected.guards[10].bodyType = 35;
  expected.guards[10].byte10 = 4;
  expected.guards[10].byte11 = 13;
  expected.attachments[2].holderId = 255;
  expected.weapons[3].modelId = 193;
  expected.weapons[3].weaponId = 7;
  expected.spareAttachments = {1, 2};
  ExpectState(level, expected);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(GuardTypesTest, DisarmedWeaponsQueueInFileOrder) {
  ScriptedRandom random{0, 1, 1,  // guard 1: 35, word, dropped
                        0, 2, 2,  // guard 2: 35, word, dropped
                        0, 3};    // guard 3 (type 35): back to 2, picks up guard 1's weapon
  GoldeneyeLevel level = MakeLevel(level::kFacility, random);
  level.guards = {Guard(1, 2), Guard(2, 2), Guard(3, 35)};
  level.weapons = {Weapon(1, 100, 1), Weapon(2, 101, 2)};
  LevelState expected = CaptureState(level);
  level.RandomiseGuardTypes();
  for (int i : {0, 1}) {
    expected.guards[i].bodyType = 35;
    expected.guards[i].byte10 = 4;
    expected.guards[i].byte11 = 13;
  }
  expected.guards[2].bodyType = 2;
  expected.weapons[0] = {expected.weapons[0].recordOffset, 193, 7, true, 3};
  expected.weapons[1].holderId = 255;
  expected.spareWeapons = {1};
  ExpectState(level, expected);
}

TEST_F(GuardTypesTest, SiloAndCavesUseTheirOwnTypeAndWord) {
  struct Case {
    LevelId levelId;
    std::uint32_t defaultType;
    std::uint8_t byte11;
  };
  for (const Case& swapCase : {Case{level::kSilo, 3, 0x10}, Case{level::kCaves, 4, 0x08}}) {
    SCOPED_TRACE(GetLevelName(swapCase.levelId));
    // Unarmed default guard: 35 with the word; type-35 guard: back to default,
    // nothing spare to pick up; a Facility-type guard (2) is left alone.
    ScriptedRandom random{0, 0, 0};
    GoldeneyeLevel level = MakeLevel(swapCase.levelId, random);
    level.guards = {Guard(1, swapCase.defaultType), Guard(2, 35), Guard(3, 2)};
    level.weapons = {Weapon(3, 100, 1)};
    LevelState expected = CaptureState(level);
    level.RandomiseGuardTypes();
    expected.guards[0].bodyType = 35;
    expected.guards[0].byte10 = 4;
    expected.guards[0].byte11 = swapCase.byte11;
    expected.guards[1].bodyType = swapCase.defaultType;
    ExpectState(level, expected);
  }
}

// The civilians a level's mission counts keep their scientist's body and take
// no draw; a type-35 guard with an ID the level does not count still swaps.
TEST_F(GuardTypesTest, CountedCiviliansKeepTheirBodyAndTakeNoDraw) {
  struct Case {
    LevelId levelId;
    std::uint8_t firstCivilian;
    std::uint8_t other;
    std::uint8_t lastCivilian;
    std::uint32_t defaultType;
  };
  const Case cases[] = {
      {level::kFacility, 51, 56, 66, 2},
      {level::kSilo, 54, 64, 63, 3},
      {level::kCaves, 73, 76, 85, 4},
  };
  for (const Case& swap : cases) {
    SCOPED_TRACE(swap.levelId);
    // The other guard: back to the usual type (6 mod 6), nothing to pick up (1 mod 3).
    ScriptedRandom random{6, 1};
    GoldeneyeLevel level = MakeLevel(swap.levelId, random);
    level.guards = {Guard(swap.firstCivilian, 35), Guard(swap.other, 35),
                    Guard(swap.lastCivilian, 35)};
    LevelState expected = CaptureState(level);
    level.RandomiseGuardTypes();
    expected.guards[1].bodyType = swap.defaultType;
    ExpectState(level, expected);
  }
}

TEST_F(GuardTypesTest, UnknownLevelFallsBackToFacilityTypeWithAWarning) {
  const GuardTypeSwap swap = GetGuardTypeSwap(level::kDam);
  EXPECT_EQ(swap.defaultGuardType, 2u);
  EXPECT_EQ(swap.type35Byte11, 13);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"WARN Unknown default guard type for level [Dam]"}));

  console.Clear();
  const GuardTypeSwap caves = GetGuardTypeSwap(level::kCaves);
  EXPECT_EQ(caves.defaultGuardType, 4u);
  EXPECT_EQ(caves.type35Byte11, 8);
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace velmo
