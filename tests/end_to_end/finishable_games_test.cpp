#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "harness/image_inspector.h"
#include "harness/image_runner.h"
#include "image_builder/image_builder.h"

namespace velmo {
namespace {

using testing::ImageRunner;
using testing::RunResult;
using testing::SetupView;

// What a player needs to finish the game, checked on images whose Facility,
// Silo, Caves and Bunker 2 carry the game's own guard IDs.
const std::set<std::uint8_t> kKeycardAReachable = {0,  1,  2,  3,  4,  5,  6, 7,
                                                   23, 37, 38, 39, 40, 44, 45};
const std::set<std::uint8_t> kBehindKeyCard1Doors = {9, 10, 19, 20, 21, 22};
const std::set<std::uint8_t> kFacilityCivilians = {51, 52, 53, 54, 55, 57, 58, 59,
                                                   60, 61, 62, 63, 64, 65, 66};
const std::set<std::uint8_t> kSiloCivilians = {54, 55, 56, 57, 58, 59, 60, 61, 62, 63};
const std::set<std::uint8_t> kCavesCivilians = {73, 74, 75, 84, 85};

const SetupView& LevelIn(const testing::ImageView& image, LevelId levelId) {
  for (const testing::SetupFileView& setup : image.setups) {
    if (setup.catalogue && setup.catalogue->levelId == levelId) return setup.setup;
  }
  throw std::logic_error("level missing from the image");
}

// Scientists (body type 35) of the level that the mission counts as civilians
// and that the run gave another body. (The builder keeps its characters, Trev
// among them, whatever their IDs.)
int CiviliansChanged(const SetupView& before, const SetupView& after,
                     const std::set<std::uint8_t>& civilians, int& civiliansSeen) {
  int changed = 0;
  for (std::size_t i = 0; i < after.guards.size(); ++i) {
    if (!civilians.contains(before.guards[i].guardId) || before.guards[i].bodyType != 35) continue;
    ++civiliansSeen;
    changed += after.guards[i].bodyType != 35;
  }
  return changed;
}

ByteBuffer GameLikeImage() {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  options.gameLikeLevels = true;
  return image_builder::BuildImage(options).bytes;
}

TEST(FinishableGames, KeysWithinReachAndCiviliansStayScientists) {
  ImageRunner image(GameLikeImage());
  const testing::ImageView before = testing::InspectImage(image.Input());

  std::set<std::uint8_t> keycardAHolders;
  std::set<std::uint8_t> keyCard1Holders;
  int civiliansSeen = 0;
  for (std::uint32_t seed = 1; seed <= 50; ++seed) {
    SCOPED_TRACE(seed);
    const RunResult run = image.Run(seed);
    ASSERT_EQ(run.log.back(), "SUCCESS ROM has been successfully randomised :)");
    const testing::ImageView after = testing::InspectImage(run.output);

    const std::uint8_t keycardA = LevelIn(after, level::kFacility).keys.at(0).holderId;
    EXPECT_TRUE(kKeycardAReachable.contains(keycardA)) << "keycard A on guard " << +keycardA;
    keycardAHolders.insert(keycardA);
    const std::uint8_t keyCard1 = LevelIn(after, level::kBunker2).keys.at(4).holderId;
    EXPECT_FALSE(kBehindKeyCard1Doors.contains(keyCard1)) << "key card 1 on guard " << +keyCard1;
    keyCard1Holders.insert(keyCard1);

    const std::pair<LevelId, const std::set<std::uint8_t>*> levels[] = {
        {level::kFacility, &kFacilityCivilians},
        {level::kSilo, &kSiloCivilians},
        {level::kCaves, &kCavesCivilians}};
    for (const auto& [levelId, civilians] : levels) {
      EXPECT_EQ(CiviliansChanged(LevelIn(before, levelId), LevelIn(after, levelId), *civilians,
                                 civiliansSeen),
                0)
          << GetLevelName(levelId);
    }
  }
  // The image really holds what the rules protect, and the draws still vary.
  EXPECT_GE(civiliansSeen, 50 * 20);
  EXPECT_GE(keycardAHolders.size(), 8u);
  EXPECT_GE(keyCard1Holders.size(), 2u);
}

constexpr std::uint8_t kDecoder = 38;
const std::string kEverySwitchOff =
    "RandomiseStartingWeapons=0\nRandomiseGuardTypes=0\nRandomiseGuardWeapons=0\n"
    "AddNemesis=0\nRandomiseKeys=0\nRandomiseCubaBody=0\n";

// Dr. Doak hands Bond Facility's door decoder, without which the bottling
// room stays shut on Secret Agent and 00 Agent. It lies on pad 47, so its
// record names guard 47, whose own gun comes later.
TEST(FinishableGames, DecoderStaysADecoderAndNothingUnrandomisedChanges) {
  ImageRunner image(GameLikeImage());
  const testing::ImageView before = testing::InspectImage(image.Input());
  const SetupView& facility = LevelIn(before, level::kFacility);
  std::vector<std::size_t> decoders;
  for (std::size_t i = 0; i < facility.weapons.size(); ++i) {
    if (facility.weapons[i].weaponId == kDecoder) decoders.push_back(i);
  }
  ASSERT_EQ(decoders.size(), 1u);
  ASSERT_TRUE(std::any_of(facility.weapons.begin() + decoders[0] + 1, facility.weapons.end(),
                          [](const testing::WeaponView& gun) { return gun.holderId == 47; }));

  for (std::uint32_t seed = 1; seed <= 50; ++seed) {
    SCOPED_TRACE(seed);
    const RunResult run = image.Run(seed);
    ASSERT_EQ(run.log.back(), "SUCCESS ROM has been successfully randomised :)");
    const testing::ImageView after = testing::InspectImage(run.output);
    const testing::WeaponView& decoder = LevelIn(after, level::kFacility).weapons.at(decoders[0]);
    EXPECT_EQ(decoder.weaponId, kDecoder);
    EXPECT_EQ(decoder.byte8, facility.weapons[decoders[0]].byte8);

    const testing::ImageView off = testing::InspectImage(image.Run(seed, kEverySwitchOff).output);
    ASSERT_EQ(off.setups.size(), before.setups.size());
    for (std::size_t k = 0; k < off.setups.size(); ++k) {
      EXPECT_TRUE(off.setups[k].block.data == before.setups[k].block.data)
          << GetLevelName(before.setups[k].catalogue->levelId) << " changed with every switch off";
    }
  }
}

}  // namespace
}  // namespace velmo
