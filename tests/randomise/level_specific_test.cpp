#include <gtest/gtest.h>

#include "harness/scripted_random.h"
#include "randomiser_fixture.h"

namespace velmo {
namespace {

using testing::CaptureState;
using testing::ExpectState;
using testing::Guard;
using testing::Key;
using testing::LevelState;
using testing::ScriptedRandom;

const std::string kPrefix = "GoldeneyeLevel::ApplyLevelSpecificRandomisations(): ";
const std::string kNoTrev = "WARN " + kPrefix + "Something when wrong finding Trev in Facility!";

class LevelSpecificTest : public testing::RandomiserTest {
 protected:
  // Guard IDs 100, 101, ... so that holders are told apart from positions.
  static std::vector<GuardEntry> Guards(std::size_t count) {
    std::vector<GuardEntry> guards;
    for (std::size_t i = 0; i < count; ++i) {
      guards.push_back(Guard(static_cast<std::uint8_t>(100 + i), 2));
    }
    return guards;
  }

  static std::vector<GuardEntry> FacilityGuardsWithTrev() {
    std::vector<GuardEntry> guards = Guards(65);
    guards[64].bodyType = 9;
    return guards;
  }
};

TEST_F(LevelSpecificTest, OtherLevelsAreLeftAloneWithoutDraws) {
  for (LevelId id = 0; id < level::kCount; ++id) {
    if (id == level::kFacility || id == level::kBunker2 || id == level::kCuba) continue;
    ScriptedRandom random{};
    GoldeneyeLevel level = MakeLevel(id, random);
    level.guards = Guards(3);
    level.keys = {Key(100, 86), Key(101, 86)};
    const LevelState before = CaptureState(level);
    level.ApplyLevelSpecificRandomisations();
    ExpectState(level, before);
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(LevelSpecificTest, LevelOutsideTheCatalogueIsAnError) {
  for (LevelId id : {LevelId{-1}, LevelId{21}}) {
    ScriptedRandom random{};
    GoldeneyeLevel level = MakeLevel(id, random);
    level.guards = Guards(1);
    const LevelState before = CaptureState(level);
    level.ApplyLevelSpecificRandomisations();
    ExpectState(level, before);
  }
  const std::string error = "ERROR " + kPrefix + "Unexpected level encountered!";
  EXPECT_EQ(Lines(), (std::vector<std::string>{error, error}));
}

TEST_F(LevelSpecificTest, KeyModelsByDrawModuloTen) {
  const std::uint32_t expected[10] = {86, 86, 86, 243, 243, 244, 244, 10, 247, 247};
  for (std::uint32_t value = 0; value < 20; ++value) {
    ScriptedRandom random{value + 32000};  // 32000 is a multiple of 10
    GoldeneyeLevel level = MakeLevel(level::kDam, random);
    EXPECT_EQ(level.GetRandomKeyType(), expected[value % 10]) << value;
  }
}

TEST_F(LevelSpecificTest, FacilityWithTrevTakesFourDrawsAndTracesHolders) {
  UseConfig("TraceLogging=1\n");
  // Keycard B: 23 mod 12 = 11 → guard 45, model 7 → 10; keycard A: 143 mod 15 = 8
  // → guard 23 of its table; its model 3 → 243.
  ScriptedRandom random{23, 7, 143, 3};
  GoldeneyeLevel level = MakeLevel(level::kFacility, random);
  level.guards = FacilityGuardsWithTrev();
  level.keys = {Key(1, 86), Key(2, 86)};
  LevelState expected = CaptureState(level);

  level.ApplyLevelSpecificRandomisations();

  expected.keys[1].holderId = 45;
  expected.keys[1].modelId = 10;
  expected.keys[0].holderId = 23;
  expected.keys[0].modelId = 243;
  ExpectState(level, expected);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "TRACE " + kPrefix + "Giving keycard B to [0000002d]",
                         "TRACE " + kPrefix + "Giving keycard A to [00000017]",
                     }));
}

TEST_F(LevelSpecificTest, FacilityWithoutTrevTakesThreeDrawsAndKeepsKeycardAModel) {
  struct Case {
    const char* config;
    std::vector<GuardEntry> guards;
  };
  std::vector<GuardEntry> trevElsewhere = FacilityGuardsWithTrev();
  trevElsewhere[64].bodyType = 10;
  std::vector<GuardEntry> sixtyFour = Guards(64);
  sixtyFour[63].bodyType = 9;
  const std::vector<Case> cases = {
      {"", sixtyFour},
      {"TraceLogging=0\n", trevElsewhere},
      {"TraceLogging=2\n", sixtyFour},
  };
  for (const Case& facility : cases) {
    SCOPED_TRACE(facility.config);
    UseConfig(facility.config);
    console.Clear();
    ScriptedRandom random{0, 9, 63};
    GoldeneyeLevel level = MakeLevel(level::kFacility, random);
    level.guards = facility.guards;
    level.keys = {Key(1, 86), Key(2, 86)};
    LevelState expected = CaptureState(level);

    level.ApplyLevelSpecificRandomisations();

    expected.keys[1].holderId = 0;
    expected.keys[1].modelId = 247;
    expected.keys[0].holderId = 3;  // 63 mod 15
    ExpectState(level, expected);
    EXPECT_EQ(Lines(), (std::vector<std::string>{kNoTrev}));
  }
}

TEST_F(LevelSpecificTest, KeycardBHoldersInTableOrder) {
  const std::uint32_t holders[12] = {0, 1, 2, 3, 4, 23, 37, 38, 39, 40, 44, 45};
  for (std::uint32_t row = 0; row < 12; ++row) {
    ScriptedRandom random{row + 12 * 7, 0, 0};
    GoldeneyeLevel level = MakeLevel(level::kFacility, random);
    level.guards = Guards(2);
    level.keys = {Key(1, 86), Key(2, 99)};
    level.ApplyLevelSpecificRandomisations();
    EXPECT_EQ(level.keys[1].holderId, holders[row]) << row;
  }
}

// Keycard A goes only to guards the player reaches holding keycard B, named
// by guard ID whatever guards the setup holds.
TEST_F(LevelSpecificTest, KeycardAHoldersInTableOrder) {
  const std::uint32_t holders[15] = {0, 1, 2, 3, 4, 5, 6, 7, 23, 37, 38, 39, 40, 44, 45};
  for (std::uint32_t row = 0; row < 15; ++row) {
    ScriptedRandom random{0, 0, row + 15 * 2000};
    GoldeneyeLevel level = MakeLevel(level::kFacility, random);
    level.guards = Guards(66);
    level.keys = {Key(1, 86), Key(2, 99)};
    level.ApplyLevelSpecificRandomisations();
    EXPECT_EQ(level.keys[0].holderId, holders[row]) << row;
    EXPECT_EQ(level.keys[0].modelId, 86u) << row;
  }
}

TEST_F(LevelSpecificTest, FacilityWithOneGuardGivesItKeycardAWithoutADraw) {
  ScriptedRandom random{1, 4};
  GoldeneyeLevel level = MakeLevel(level::kFacility, random);
  level.guards = Guards(1);
  level.keys = {Key(1, 86), Key(2, 86)};
  level.ApplyLevelSpecificRandomisations();
  EXPECT_EQ(level.keys[0].holderId, 100u);
  EXPECT_EQ(level.keys[0].modelId, 86u);
  EXPECT_EQ(level.keys[1].holderId, 1u);
  EXPECT_EQ(level.keys[1].modelId, 243u);
  EXPECT_EQ(Lines(), (std::vector<std::string>{kNoTrev}));
}

TEST_F(LevelSpecificTest, FacilityKeepsItsKeysWhenTheyOrTheGuardsAreNotThere) {
  ScriptedRandom random{};
  GoldeneyeLevel wrongKeys = MakeLevel(level::kFacility, random);
  wrongKeys.guards = FacilityGuardsWithTrev();
  wrongKeys.keys = {Key(1, 86), Key(2, 86), Key(3, 86)};
  const LevelState wrongKeysBefore = CaptureState(wrongKeys);
  wrongKeys.ApplyLevelSpecificRandomisations();
  ExpectState(wrongKeys, wrongKeysBefore);

  GoldeneyeLevel noGuards = MakeLevel(level::kFacility, random);
  noGuards.keys = {Key(1, 86), Key(2, 86)};
  const LevelState noGuardsBefore = CaptureState(noGuards);
  noGuards.ApplyLevelSpecificRandomisations();
  ExpectState(noGuards, noGuardsBefore);

  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "ERROR " + kPrefix +
                             "Number of keys in facility level is not what is expected! Will not "
                             "randomise placement",
                         "WARN " + kPrefix +
                             "No guards in facility level to carry keycard A! Will not randomise "
                             "placement",
                     }));
}

TEST_F(LevelSpecificTest, Bunker2MovesThreeKeysAwayFromFirstAndLastGuard) {
  UseConfig("TraceLogging=0\n");
  // Six guards: entries 1 to 4 only, 1 + draw mod 4.
  ScriptedRandom random{0, 3, 4 * 5000 + 2};
  GoldeneyeLevel level = MakeLevel(level::kBunker2, random);
  level.guards = Guards(6);
  level.keys = {Key(1, 80), Key(2, 81), Key(3, 82), Key(4, 83), Key(5, 84), Key(6, 85)};
  LevelState expected = CaptureState(level);

  level.ApplyLevelSpecificRandomisations();

  expected.keys[3].holderId = 101;
  expected.keys[4].holderId = 104;
  expected.keys[5].holderId = 103;
  ExpectState(level, expected);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "TRACE " + kPrefix + "Reassigned Natalia's cell key to guard [101]",
                         "TRACE " + kPrefix + "Reassigned key card 1 to guard [104]",
                         "TRACE " + kPrefix + "Reassigned key card 2 to guard [103]",
                     }));
}

// Key card 1 never goes to a guard in the rooms it opens (guards 9, 10 and 19
// to 22); the other two keys may go to any guard but the first and the last.
TEST_F(LevelSpecificTest, Bunker2KeyCard1StaysOutsideItsOwnRooms) {
  struct Case {
    std::vector<std::uint8_t> guardIds;
    std::uint32_t keyCard1Draw;
    std::uint8_t keyCard1Holder;
  };
  // Inner entries 9, 1, 10, 19, 2, 20, 21, 3, 22: candidates are guards 1, 2 and 3.
  const std::vector<std::uint8_t> mixed = {0, 9, 1, 10, 19, 2, 20, 21, 3, 22, 4};
  const std::vector<Case> cases = {
      {mixed, 0, 1},
      {mixed, 3 * 700 + 1, 2},
      {mixed, 5, 3},
      // Only guards behind its doors between the first and the last: 1 + 7 mod 2.
      {{0, 9, 10, 5}, 7, 10},
  };
  for (const Case& bunker : cases) {
    SCOPED_TRACE(bunker.keyCard1Draw);
    const std::uint32_t inner = static_cast<std::uint32_t>(bunker.guardIds.size() - 2);
    // Natalia's cell key and key card 2 both draw the entry before the last.
    ScriptedRandom random{inner - 1, bunker.keyCard1Draw, 2 * inner - 1};
    GoldeneyeLevel level = MakeLevel(level::kBunker2, random);
    for (std::uint8_t id : bunker.guardIds) level.guards.push_back(Guard(id, 2));
    level.keys = {Key(1, 80), Key(2, 81), Key(3, 82), Key(4, 83), Key(5, 84), Key(6, 85)};
    level.ApplyLevelSpecificRandomisations();
    const std::uint8_t entryBeforeLast = bunker.guardIds[bunker.guardIds.size() - 2];
    EXPECT_EQ(level.keys[3].holderId, entryBeforeLast);
    EXPECT_EQ(level.keys[4].holderId, bunker.keyCard1Holder);
    EXPECT_EQ(level.keys[5].holderId, entryBeforeLast);
  }
}

TEST_F(LevelSpecificTest, Bunker2WithThreeGuardsStillDrawsForTheMiddleOne) {
  ScriptedRandom random{7, 8, 9};
  GoldeneyeLevel level = MakeLevel(level::kBunker2, random);
  level.guards = Guards(3);
  level.keys = {Key(1, 80), Key(2, 81), Key(3, 82), Key(4, 83), Key(5, 84), Key(6, 85)};
  level.ApplyLevelSpecificRandomisations();
  for (std::size_t key = 3; key < 6; ++key) EXPECT_EQ(level.keys[key].holderId, 101u);
}

TEST_F(LevelSpecificTest, Bunker2WithTwoGuardsGivesEveryKeyToTheFirstWithoutADraw) {
  ScriptedRandom random{};
  GoldeneyeLevel level = MakeLevel(level::kBunker2, random);
  level.guards = Guards(2);
  level.keys = {Key(1, 80), Key(2, 81), Key(3, 82), Key(4, 83), Key(5, 84), Key(6, 85)};
  level.ApplyLevelSpecificRandomisations();
  for (std::size_t key = 3; key < 6; ++key) EXPECT_EQ(level.keys[key].holderId, 100u);
  EXPECT_EQ(Lines().size(), 3u);
}

TEST_F(LevelSpecificTest, Bunker2KeepsItsKeysWhenTheyOrTheGuardsAreNotThere) {
  ScriptedRandom random{};
  GoldeneyeLevel fiveKeys = MakeLevel(level::kBunker2, random);
  fiveKeys.guards = Guards(6);
  fiveKeys.keys = {Key(1, 80), Key(2, 81), Key(3, 82), Key(4, 83), Key(5, 84)};
  const LevelState fiveKeysBefore = CaptureState(fiveKeys);
  fiveKeys.ApplyLevelSpecificRandomisations();
  ExpectState(fiveKeys, fiveKeysBefore);

  GoldeneyeLevel oneGuard = MakeLevel(level::kBunker2, random);
  oneGuard.guards = Guards(1);
  oneGuard.keys = {Key(1, 80), Key(2, 81), Key(3, 82), Key(4, 83), Key(5, 84), Key(6, 85)};
  const LevelState oneGuardBefore = CaptureState(oneGuard);
  oneGuard.ApplyLevelSpecificRandomisations();
  ExpectState(oneGuard, oneGuardBefore);

  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "ERROR " + kPrefix +
                             "Number of keys in Nunker 2 level is not what is expected! Will not "
                             "randomise placement",
                         "WARN " + kPrefix +
                             "Fewer than two guards in Bunker 2 level to carry keys! Will not "
                             "randomise placement",
                     }));
}

TEST_F(LevelSpecificTest, CubaGuardTakesOneOfFourBodies) {
  const std::uint32_t bodies[4] = {14, 13, 11, 16};
  for (std::uint32_t value = 0; value < 8; ++value) {
    ScriptedRandom random{value + 4 * 3000};
    GoldeneyeLevel level = MakeLevel(level::kCuba, random);
    level.guards = Guards(1);
    LevelState expected = CaptureState(level);
    level.ApplyLevelSpecificRandomisations();
    expected.guards[0].bodyType = bodies[value % 4];
    ExpectState(level, expected);
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(LevelSpecificTest, CubaWithOtherGuardCountIsAnError) {
  for (std::size_t count : {0u, 2u}) {
    ScriptedRandom random{};
    GoldeneyeLevel level = MakeLevel(level::kCuba, random);
    level.guards = Guards(count);
    const LevelState before = CaptureState(level);
    level.ApplyLevelSpecificRandomisations();
    ExpectState(level, before);
  }
  const std::string error =
      "ERROR " + kPrefix + "Number of entities in Cuba is not what is expected!";
  EXPECT_EQ(Lines(), (std::vector<std::string>{error, error}));
}

}  // namespace
}  // namespace velmo
