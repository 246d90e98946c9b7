#include <gtest/gtest.h>

#include "harness/scripted_random.h"
#include "randomise/weapon_choice.h"
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

class GuardWeaponsTest : public testing::RandomiserTest {};

struct Pools {
  WeaponChoice primary{};
  WeaponChoice secondary{};
  WeaponChoice special{};
};

void ExpectWeapon(const WeaponChoice& actual, std::uint32_t weaponId, std::uint32_t modelId) {
  EXPECT_EQ(actual.weaponId, weaponId);
  EXPECT_EQ(actual.modelId, modelId);
}

TEST_F(GuardWeaponsTest, SpecialWeaponRowsByDrawModuloEleven) {
  const std::uint32_t expected[11][2] = {{18, 190}, {16, 207}, {5, 204},  {11, 206},
                                         {25, 211}, {19, 208}, {19, 208}, {14, 197},
                                         {9, 195},  {18, 190}, {6, 205}};
  for (std::uint32_t row = 0; row < 11; ++row) {
    // Row + 11·k must land on the same row; the second draw picks row 0 of the pair table.
    ScriptedRandom random{row + 11 * (row + 100), 0};
    GoldeneyeLevel level = MakeLevel(level::kDam, random);
    Pools pools;
    level.GetWeaponsForRandomisation(pools.primary, pools.secondary, pools.special);
    ExpectWeapon(pools.special, expected[row][0], expected[row][1]);
    ExpectWeapon(pools.primary, 16, 207);
    ExpectWeapon(pools.secondary, 18, 190);
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(GuardWeaponsTest, PrimaryAndSecondaryRowsByOneDrawModuloTen) {
  const std::uint32_t expected[10][4] = {
      {16, 207, 18, 190}, {13, 188, 4, 191},  {13, 188, 14, 197}, {9, 195, 10, 189},
      {7, 193, 4, 191},   {18, 190, 15, 192}, {19, 208, 19, 208}, {22, 187, 19, 208},
      {16, 207, 8, 184},  {12, 194, 4, 191},
  };
  for (std::uint32_t row = 0; row < 10; ++row) {
    ScriptedRandom random{0x7FFF, 32760 + row};  // 0x7FFF mod 11 = 9; 32760 is a multiple of 10
    GoldeneyeLevel level = MakeLevel(level::kDam, random);
    Pools pools;
    level.GetWeaponsForRandomisation(pools.primary, pools.secondary, pools.special);
    ExpectWeapon(pools.special, 18, 190);
    ExpectWeapon(pools.primary, expected[row][0], expected[row][1]);
    ExpectWeapon(pools.secondary, expected[row][2], expected[row][3]);
  }
}

TEST_F(GuardWeaponsTest, LevelWithoutGuardsTakesExactlyTwoDraws) {
  ScriptedRandom random{3, 4};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.weapons = {Weapon(255, 100, 1)};
  level.attachments = {Attachment(255, 300)};
  const LevelState before = CaptureState(level);
  level.RandomiseGuardWeapons();
  EXPECT_EQ(random.DrawsTaken(), 2u);
  ExpectState(level, before);
  EXPECT_TRUE(Lines().empty());
}

// Special row 7 (14/197); pair row 3: primary 9/195, secondary 10/189.
constexpr std::uint32_t kSpecialRow7 = 7;
constexpr std::uint32_t kCommonRow3 = 13;

TEST_F(GuardWeaponsTest, RearmsArmedCommonGuardsInFileOrder) {
  ScriptedRandom random{
      kSpecialRow7, kCommonRow3,
      // Guard 10: bit 2 clear, bit 0 set (no bit-1 draw), r = 1, no promotion,
      // primary (7 mod 5 = 2), byte 8 flag 1 → 0x10.
      4, 5, 1, 3, 7, 1,
      // Guard 13: bit 2 set, bit 0 clear, bit 1 set, r = 0, no promotion,
      // secondary with attachment 217 + (3 & 1), byte 8 flag 0 → clear.
      3, 1, 2, 10, 11, 3, 4,
      // Guard 14 (body 17): bits clear, r = 0 but promotion wins (20 mod 10 = 0):
      // officer body 4, special weapon, attachment 221 with its unused draw.
      0, 2, 1, 0, 20, 999, 2,
      // Guard 15: r = 2, no promotion, secondary by 5 mod 5 = 0; no attachment.
      1, 6, 0, 2, 5, 5, 8,
      // Guard 16 (body 23): promotion keeps the body with a warning; attachment 217.
      2, 3, 1, 4, 30, 6};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.guards = {Guard(10, 2),  Guard(11, 2), Guard(12, 9), Guard(13, 3),
                  Guard(14, 17), Guard(15, 2), Guard(16, 23)};
  level.guards[0].flagBit1 = true;
  level.weapons = {Weapon(10, 100, 1), Weapon(12, 101, 2), Weapon(13, 102, 3), Weapon(14, 103, 4),
                   Weapon(15, 104, 5), Weapon(16, 105, 6), Weapon(10, 106, 7), Weapon(255, 107, 8)};
  level.weapons[2].byte8Clear = false;
  level.attachments = {Attachment(10, 300), Attachment(11, 301), Attachment(12, 302),
                       Attachment(13, 303), Attachment(14, 304), Attachment(16, 305)};
  LevelState expected = CaptureState(level);

  level.RandomiseGuardWeapons();

  // Guard 10.
  expected.guards[0].flagBit0 = true;
  expected.guards[0].flagBit1 = false;
  expected.guards[0].flagBit2 = false;
  expected.weapons[0].modelId = 195;
  expected.weapons[0].weaponId = 9;
  expected.weapons[0].byte8Clear = false;
  // Guard 13.
  expected.guards[3].flagBit2 = true;
  expected.guards[3].flagBit1 = true;
  expected.weapons[2].modelId = 189;
  expected.weapons[2].weaponId = 10;
  expected.weapons[2].byte8Clear = true;
  expected.attachments[3].modelId = 218;
  // Guard 14.
  expected.guards[4].bodyType = 4;
  expected.weapons[3].modelId = 197;
  expected.weapons[3].weaponId = 14;
  expected.weapons[3].byte8Clear = false;
  expected.attachments[4].modelId = 221;
  // Guard 15.
  expected.guards[5].flagBit2 = true;
  expected.guards[5].flagBit1 = true;
  expected.weapons[4].modelId = 189;
  expected.weapons[4].weaponId = 10;
  expected.weapons[4].byte8Clear = true;
  // Guard 16.
  expected.guards[6].flagBit2 = true;
  expected.weapons[5].modelId = 197;
  expected.weapons[5].weaponId = 14;
  expected.weapons[5].byte8Clear = false;
  expected.attachments[5].modelId = 217;

  ExpectState(level, expected);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "WARN GoldeneyeLevel::GetOfficerBodyTypeFromCommonType(): Encountered "
                         "body type [23] which should not be converted!"}));
}

TEST_F(GuardWeaponsTest, PromotionUsesOfficerBodyForTheAttachment) {
  // Body 38 becomes officer 1, whose attachment is 214 (no unused draw).
  ScriptedRandom random{0, 0, 1, 1, 1, 1, 0, 1};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.guards = {Guard(3, 38)};
  level.weapons = {Weapon(3, 100, 1)};
  level.attachments = {Attachment(3, 300)};
  LevelState expected = CaptureState(level);
  level.RandomiseGuardWeapons();
  expected.guards[0].bodyType = 1;
  expected.guards[0].flagBit2 = true;
  expected.weapons[0].modelId = 190;  // special row 0: 18/190
  expected.weapons[0].weaponId = 18;
  expected.weapons[0].byte8Clear = false;
  expected.attachments[0].modelId = 214;
  ExpectState(level, expected);
}

TEST_F(GuardWeaponsTest, FrigatePromotionKeepsTheBodyAndLooksUpItsAttachment) {
  // Body 38 stays 38 in Frigate, so its attachment is 221 with one unused draw.
  ScriptedRandom random{0, 0, 1, 1, 1, 1, 0, 777, 1};
  GoldeneyeLevel level = MakeLevel(level::kFrigate, random);
  level.guards = {Guard(3, 38)};
  level.weapons = {Weapon(3, 100, 1)};
  level.attachments = {Attachment(3, 300)};
  LevelState expected = CaptureState(level);
  level.RandomiseGuardWeapons();
  expected.guards[0].flagBit2 = true;
  expected.weapons[0].modelId = 190;
  expected.weapons[0].weaponId = 18;
  expected.weapons[0].byte8Clear = false;
  expected.attachments[0].modelId = 221;
  ExpectState(level, expected);
}

TEST_F(GuardWeaponsTest, PromotionWithoutAttachmentMakesNoLookupDraw) {
  ScriptedRandom random{0, 0, 1, 1, 1, 1, 0, 0};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.guards = {Guard(3, 17)};
  level.weapons = {Weapon(3, 100, 1)};
  level.RandomiseGuardWeapons();
  EXPECT_EQ(level.guards[0].bodyType, 4u);
  EXPECT_TRUE(level.weapons[0].byte8Clear);
}

TEST_F(GuardWeaponsTest, DuplicateGuardIdRerollsTheFirstEntryTwice) {
  ScriptedRandom random{kSpecialRow7, kCommonRow3,
                        // First pass over ID 20: primary.
                        1, 1, 0, 1, 1, 1, 1,
                        // Second pass over ID 20 (second entry): secondary, bit 0 set.
                        0, 0, 1, 1, 0, 0};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  level.guards = {Guard(20, 2), Guard(20, 3)};
  level.guards[1].recordOffset = 0x2000;
  level.weapons = {Weapon(20, 100, 1)};
  LevelState expected = CaptureState(level);
  level.RandomiseGuardWeapons();
  expected.guards[0].flagBit0 = true;
  expected.weapons[0].modelId = 189;
  expected.weapons[0].weaponId = 10;
  expected.weapons[0].byte8Clear = true;
  ExpectState(level, expected);
}

}  // namespace
}  // namespace velmo
