#include <gtest/gtest.h>

#include <map>

#include "harness/scripted_random.h"
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

const std::string kPrefix = "GoldeneyeLevel::AddNemesisCharacter(): ";
const std::string kNoCandidate =
    "WARN " + kPrefix + "Unable to find candidate to convert to Nemesis unit";

class NemesisTest : public testing::RandomiserTest {};

TEST_F(NemesisTest, NoGuardsIsAnErrorBeforeTheLevelIsLookedAt) {
  for (LevelId id : {level::kDam, level::kFrigate, LevelId{40}}) {
    ScriptedRandom random{};
    GoldeneyeLevel level = MakeLevel(id, random);
    level.weapons = {Weapon(255, 100, 1)};
    level.spareWeapons = {&level.weapons[0]};
    const LevelState before = CaptureState(level);
    level.AddNemesisCharacter();
    ExpectState(level, before);
  }
  const std::string error = "ERROR " + kPrefix + "No entities to convert to Nemesis character!";
  EXPECT_EQ(Lines(), (std::vector<std::string>{error, error, error}));
}

TEST_F(NemesisTest, LevelsWithoutCharacterListTakeNoDrawAndSayNothing) {
  for (LevelId id :
       {level::kFrigate, level::kTrain, level::kStreets, level::kCradle, level::kCuba}) {
    ScriptedRandom random{};
    GoldeneyeLevel level = MakeLevel(id, random);
    level.guards = {Guard(1, 2)};
    level.weapons = {Weapon(1, 100, 1)};
    const LevelState before = CaptureState(level);
    level.AddNemesisCharacter();
    ExpectState(level, before);
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(NemesisTest, EachLevelDrawsItsNemesisFromItsOwnListInOrder) {
  const std::map<LevelId, std::vector<std::uint32_t>> lists = {
      {level::kDam, {10, 12, 13, 14, 15, 11, 8, 7, 6}},
      {level::kFacility, {10, 12, 13, 14, 15, 11}},
      {level::kRunway, {10, 12, 13, 14, 15, 11, 8, 7}},
      {level::kSurface1, {10, 12, 13, 14, 15, 11, 8, 7}},
      {level::kBunker1, {10, 12, 13, 14, 15, 11, 8, 7}},
      {level::kSurface2, {10, 12, 13, 14, 15, 11, 8, 7}},
      {level::kBunker2, {10, 12, 13, 14, 15, 11, 8, 7}},
      {level::kSilo, {12, 13, 14, 15, 6}},
      {level::kJungle, {12, 13, 14, 15, 6}},
      {level::kDepo, {10, 12, 13, 14, 15, 7, 6}},
      {level::kStatue, {13, 14, 15, 6}},
      {level::kArchives, {12, 13, 14, 15, 11, 7}},
      {level::kControl, {10, 12, 13, 14, 15, 11, 8}},
      {level::kCaves, {10, 12, 13, 14, 15, 11, 6}},
      {level::kAztec, {10, 12, 14, 15, 11, 6}},
      {level::kEgypt, {13, 14, 15, 11}},
  };
  for (const auto& [id, characters] : lists) {
    const auto length = static_cast<std::uint32_t>(characters.size());
    for (std::uint32_t index = 0; index < length; ++index) {
      SCOPED_TRACE(GetLevelName(id) + " entry " + std::to_string(index));
      // A single guard is taken without a draw; the last value is the weapon.
      ScriptedRandom random{index + length * 1000, 0};
      GoldeneyeLevel level = MakeLevel(id, random);
      level.guards = {Guard(1, 2)};
      level.weapons = {Weapon(1, 100, 1)};
      level.AddNemesisCharacter();
      EXPECT_EQ(level.guards[0].bodyType, characters[index]);
    }
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(NemesisTest, UnknownLevelUsesTheDamListAfterAWarning) {
  ScriptedRandom random{8, 0};
  GoldeneyeLevel level = MakeLevel(25, random);
  level.guards = {Guard(1, 2)};
  level.weapons = {Weapon(1, 100, 1)};
  level.AddNemesisCharacter();
  EXPECT_EQ(level.guards[0].bodyType, 6u);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"WARN " + kPrefix +
                                               "Unknown characters for level [UNKNOWN]"}));
}

TEST_F(NemesisTest, ConversionWithoutSpareWeaponKeepsTheAttachment) {
  // Dam entry 3 (body 14); guard pick 3 mod 4 = guard 40; weapon 7 & 3 = 3 → 24/185.
  ScriptedRandom random{3, 3, 7};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.guards = {Guard(10, 2), Guard(20, 3), Guard(30, 4), Guard(40, 18)};
  level.guards[3].flagBit1 = true;
  level.guards[3].flagBit2 = true;
  level.weapons = {Weapon(10, 100, 1), Weapon(40, 101, 2), Weapon(40, 102, 3)};
  level.attachments = {Attachment(40, 300)};
  LevelState expected = CaptureState(level);

  level.AddNemesisCharacter();

  expected.guards[3].bodyType = 14;
  expected.guards[3].flagBit0 = true;
  expected.guards[3].flagBit1 = false;
  expected.guards[3].flagBit2 = false;
  expected.weapons[1].modelId = 185;
  expected.weapons[1].weaponId = 24;
  ExpectState(level, expected);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(NemesisTest, NemesisWeaponsByDrawMaskedWithThree) {
  const std::uint32_t expected[4][2] = {{14, 197}, {19, 208}, {25, 211}, {24, 185}};
  for (std::uint32_t value = 0; value < 8; ++value) {
    ScriptedRandom random{value + 0x7FF0};
    GoldeneyeLevel level = MakeLevel(level::kDam, random);
    std::uint32_t modelId = 0;
    std::uint32_t weaponId = 0;
    level.GetNemesisWeapon(modelId, weaponId);
    EXPECT_EQ(weaponId, expected[value & 3][0]) << value;
    EXPECT_EQ(modelId, expected[value & 3][1]) << value;
  }
}

TEST_F(NemesisTest, SpareWeaponBecomesSecondWeaponAndDetachesTheAttachment) {
  // Body entry 0 (10); one guard, no pick; weapons 1 → 19/208 and 2 → 25/211.
  ScriptedRandom random{0, 1, 2};
  GoldeneyeLevel level = MakeLevel(level::kFacility, random);
  level.guards = {Guard(7, 2)};
  level.weapons = {Weapon(7, 100, 1), Weapon(255, 101, 2), Weapon(255, 102, 3)};
  level.attachments = {Attachment(255, 299), Attachment(7, 300)};
  level.spareWeapons = {&level.weapons[1], &level.weapons[2]};
  level.spareAttachments = {&level.attachments[0]};
  LevelState expected = CaptureState(level);

  level.AddNemesisCharacter();

  expected.guards[0].bodyType = 10;
  expected.guards[0].flagBit0 = true;
  expected.weapons[0].modelId = 208;
  expected.weapons[0].weaponId = 19;
  expected.weapons[1] = {expected.weapons[1].recordOffset, 211, 25, false, 7};
  expected.attachments[1].holderId = 255;
  expected.spareWeapons = {2};
  expected.spareAttachments = {0, 1};
  ExpectState(level, expected);
}

TEST_F(NemesisTest, SpareWeaponWithoutAttachmentDetachesNothing) {
  ScriptedRandom random{0, 0, 0};
  GoldeneyeLevel level = MakeLevel(level::kFacility, random);
  level.guards = {Guard(7, 2)};
  level.weapons = {Weapon(7, 100, 1), Weapon(255, 101, 2)};
  level.spareWeapons = {&level.weapons[1]};
  level.AddNemesisCharacter();
  EXPECT_TRUE(level.spareWeapons.empty());
  EXPECT_TRUE(level.spareAttachments.empty());
  EXPECT_EQ(level.weapons[1].holderId, 7);
  EXPECT_FALSE(level.weapons[1].byte8Clear);
}

TEST_F(NemesisTest, FourFailedAttemptsGiveTheTwoWarnings) {
  // Unarmed guards and armed characters never qualify.
  ScriptedRandom random{2, 0, 1, 2, 3};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.guards = {Guard(1, 2), Guard(2, 9), Guard(3, 79), Guard(4, 3), Guard(5, 2)};
  level.weapons = {Weapon(2, 100, 1), Weapon(3, 101, 2), Weapon(5, 102, 3)};
  level.attachments = {Attachment(1, 300)};
  const LevelState before = CaptureState(level);
  level.AddNemesisCharacter();
  ExpectState(level, before);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{
                "WARN " + kPrefix + "Exceeded allowed attempts to convert guard to nemesis guard",
                kNoCandidate}));
}

TEST_F(NemesisTest, LaterAttemptCanSucceed) {
  // Attempts pick guard 2 (character), guard 1 (unarmed), then guard 3.
  ScriptedRandom random{1, 1, 0, 2, 2};
  GoldeneyeLevel level = MakeLevel(level::kEgypt, random);
  level.guards = {Guard(1, 2), Guard(2, 11), Guard(3, 3)};
  level.weapons = {Weapon(2, 100, 1), Weapon(3, 101, 2)};
  level.AddNemesisCharacter();
  EXPECT_EQ(level.guards[2].bodyType, 14u);
  EXPECT_EQ(level.weapons[1].weaponId, 25u);
  EXPECT_EQ(level.guards[1].bodyType, 11u);
  EXPECT_TRUE(Lines().empty());
}

// An attempt that draws a civilian the level's mission counts fails like one
// that draws an unarmed guard.
TEST_F(NemesisTest, CountedCivilianIsNoCandidate) {
  struct Case {
    LevelId levelId;
    std::uint8_t civilian;
    std::uint32_t firstCharacter;
  };
  const Case cases[] = {
      {level::kFacility, 57, 10}, {level::kSilo, 60, 12}, {level::kCaves, 84, 10}};
  for (const auto& [levelId, civilian, firstCharacter] : cases) {
    SCOPED_TRACE(levelId);
    // Body entry 0; attempts pick the civilian, then guard 5; weapon 1 → (19, 208).
    ScriptedRandom random{0, 0, 1, 1};
    GoldeneyeLevel level = MakeLevel(levelId, random);
    level.guards = {Guard(civilian, 35), Guard(5, 2)};
    level.weapons = {Weapon(civilian, 100, 1), Weapon(5, 101, 2)};
    LevelState expected = CaptureState(level);
    level.AddNemesisCharacter();
    EXPECT_EQ(level.guards[1].bodyType, firstCharacter);
    EXPECT_EQ(level.weapons[1].weaponId, 19u);
    expected.guards[1] = level.guards[1];
    expected.weapons[1] = level.weapons[1];
    ExpectState(level, expected);
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(NemesisTest, GuardWithIdTwoFiftyFiveStopsTheSearch) {
  ScriptedRandom random{0, 1};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.guards = {Guard(1, 2), Guard(255, 2)};
  level.weapons = {Weapon(255, 100, 1)};
  const LevelState before = CaptureState(level);
  level.AddNemesisCharacter();
  ExpectState(level, before);
  EXPECT_EQ(Lines(), (std::vector<std::string>{kNoCandidate}));
}

}  // namespace
}  // namespace velmo
