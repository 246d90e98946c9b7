#include <gtest/gtest.h>

#include <set>

#include "harness/scripted_random.h"
#include "randomise/weapon_choice.h"
#include "randomiser_fixture.h"

namespace velmo {
namespace {

using testing::ScriptedRandom;

const std::string kOfficerPrefix = "WARN GoldeneyeLevel::GetOfficerBodyTypeFromCommonType(): ";

std::string UnexpectedBodyTypeLine(std::uint32_t bodyType) {
  return kOfficerPrefix + "Encountered unexpected body type [" + std::to_string(bodyType) + "]!";
}

class BodyTypeRulesTest : public testing::RandomiserTest {};

bool IsIn(std::initializer_list<std::uint32_t> values, std::uint32_t value) {
  return std::set<std::uint32_t>(values).contains(value);
}

TEST(CharacterBodyTypes, AreSixToSixteenAndSeventyNine) {
  for (std::uint32_t bodyType = 0; bodyType < 300; ++bodyType) {
    const bool expected = (bodyType >= 6 && bodyType <= 16) || bodyType == 79;
    EXPECT_EQ(IsCharacterBodyType(bodyType), expected) << bodyType;
  }
  EXPECT_FALSE(IsCharacterBodyType(0xFFFFFFFFu));
}

TEST_F(BodyTypeRulesTest, OfficerConversionCoversEveryBodyTypeWithoutDraws) {
  ScriptedRandom random{};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  const std::set<std::uint32_t> neverConverted = {5,  6,  7,  8,  9,  10, 11, 12,
                                                  13, 14, 15, 16, 23, 24, 25, 79};
  for (std::uint32_t bodyType = 0; bodyType <= 120; ++bodyType) {
    console.Clear();
    std::uint32_t expected = bodyType;
    std::vector<std::string> expectedLines;
    if (bodyType == 0) expected = 24;
    if (IsIn({2, 3, 19, 37}, bodyType)) expected = 18;
    if (bodyType == 4) expected = 22;
    if (bodyType == 17) expected = 4;
    if (bodyType == 21) expected = 25;
    if (bodyType == 38) expected = 1;
    if (neverConverted.contains(bodyType)) {
      expectedLines.push_back(kOfficerPrefix + "Encountered body type [" +
                              std::to_string(bodyType) + "] which should not be converted!");
    } else if (bodyType > 40) {
      expectedLines.push_back(UnexpectedBodyTypeLine(bodyType));
    }
    EXPECT_EQ(level.GetOfficerBodyTypeFromCommonType(bodyType), expected) << bodyType;
    EXPECT_EQ(Lines(), expectedLines) << bodyType;
  }
}

TEST_F(BodyTypeRulesTest, OfficerConversionOfNamedExamples) {
  ScriptedRandom random{};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  EXPECT_EQ(level.GetOfficerBodyTypeFromCommonType(18), 18u);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(level.GetOfficerBodyTypeFromCommonType(5), 5u);
  EXPECT_EQ(level.GetOfficerBodyTypeFromCommonType(50), 50u);
  EXPECT_EQ(level.GetOfficerBodyTypeFromCommonType(0x100000000ull - 1), 0xFFFFFFFFu);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{
                kOfficerPrefix + "Encountered body type [5] which should not be converted!",
                UnexpectedBodyTypeLine(50),
                UnexpectedBodyTypeLine(4294967295u),
            }));
}

TEST_F(BodyTypeRulesTest, AttachmentModelsByBodyTypeWithUnusedDrawForFourSeventeenThirtyEight) {
  // Only body types 4, 17 and 38 take a value; its size must not matter.
  ScriptedRandom random{0x7FFF, 0, 12345};
  GoldeneyeLevel level = MakeLevel(level::kDam, random);
  for (std::uint32_t bodyType = 0; bodyType <= 120; ++bodyType) {
    console.Clear();
    const std::size_t drawsBefore = random.DrawsTaken();
    std::uint32_t expected = 217;
    std::vector<std::string> expectedLines;
    if (bodyType == 1) expected = 214;
    if (IsIn({2, 3, 18, 22, 28, 35, 37}, bodyType)) expected = 223;
    if (IsIn({4, 17, 38}, bodyType)) expected = 221;
    if (IsIn({39, 40}, bodyType)) expected = 219;
    if (bodyType > 40 && bodyType != 79) expectedLines.push_back(UnexpectedBodyTypeLine(bodyType));

    EXPECT_EQ(level.GetAttachmentModelForBodyType(bodyType), expected) << bodyType;
    EXPECT_EQ(Lines(), expectedLines) << bodyType;
    EXPECT_EQ(random.DrawsTaken() - drawsBefore, IsIn({4, 17, 38}, bodyType) ? 1u : 0u) << bodyType;
  }
}

TEST(WeaponPairs, EveryWeaponHasOneModel) {
  std::set<std::uint32_t> weapons;
  std::set<std::uint32_t> models;
  for (const WeaponChoice& pair : kWeaponPairs) {
    weapons.insert(pair.weaponId);
    models.insert(pair.modelId);
  }
  EXPECT_EQ(weapons.size(), kWeaponPairs.size());
  EXPECT_EQ(models.size(), kWeaponPairs.size());
  static_assert(WeaponPair(22).modelId == 187);
  static_assert(WeaponPair(4).modelId == 191);
}

}  // namespace
}  // namespace velmo
