#include <gtest/gtest.h>

#include <algorithm>

#include "harness/image_inspector.h"
#include "harness/image_runner.h"
#include "level/goldeneye_level.h"
#include "tools/built_images.h"

namespace velmo {
namespace {

using testing::ImageRunner;
using testing::ImageView;
using testing::RunResult;
using testing::SetupView;

constexpr std::uint32_t kSeed = 424242;
const std::string kSuccess = "SUCCESS ROM has been successfully randomised :)";
const std::string kAllSwitchesOn =
    "RandomiseStartingWeapons=1\nRandomiseGuardTypes=1\nRandomiseGuardWeapons=1\n"
    "AddNemesis=1\nRandomiseKeys=1\nRandomiseCubaBody=1\n";

// Each check counts, in one level, the fields read back from the image that
// show the work of one randomiser and of no other.
using FieldCheck = int (*)(LevelId, const SetupView& before, const SetupView& after);

// The first weapon as the game reads it: byte 11 unless it is 0xFF, then byte 7.
std::uint8_t StartingWeapon(const testing::StartWeaponView& record) {
  const auto second = static_cast<std::uint8_t>(record.secondField);
  return second != 0xFF ? second : record.byte7;
}

int LoadoutChanges(LevelId, const SetupView& before, const SetupView& after) {
  int changes = 0;
  for (std::size_t i = 0; i < after.startWeapons.size(); ++i) {
    changes += StartingWeapon(before.startWeapons[i]) != StartingWeapon(after.startWeapons[i]);
  }
  for (std::size_t i = 0; i < after.startAmmo.size(); ++i) {
    changes += before.startAmmo[i].ammoType != after.startAmmo[i].ammoType ||
               before.startAmmo[i].amount != after.startAmmo[i].amount;
  }
  return changes;
}

// Swaps between a level's usual guard body and body 35, and the type-35 word.
int GuardTypeSwaps(LevelId levelId, const SetupView& before, const SetupView& after) {
  const int usual = levelId == level::kFacility ? 2
                    : levelId == level::kSilo   ? 3
                    : levelId == level::kCaves  ? 4
                                                : -1;
  int changes = 0;
  for (std::size_t i = 0; i < after.guards.size(); ++i) {
    const int was = before.guards[i].bodyType;
    const int is = after.guards[i].bodyType;
    changes += (was == usual && is == 35) || (was == 35 && is == usual);
    changes += before.guards[i].byte10 != after.guards[i].byte10 ||
               before.guards[i].byte11 != after.guards[i].byte11;
  }
  return changes;
}

// Only re-arming sets a guard's flag bit 2 or clears a weapon's byte 8.
int GuardWeaponRerolls(LevelId, const SetupView& before, const SetupView& after) {
  int changes = 0;
  for (std::size_t i = 0; i < after.guards.size(); ++i) {
    changes += (before.guards[i].flags & 4) == 0 && (after.guards[i].flags & 4) != 0;
  }
  for (std::size_t i = 0; i < after.weapons.size(); ++i) {
    changes += before.weapons[i].byte8 != 0 && after.weapons[i].byte8 == 0;
  }
  return changes;
}

// Outside Cuba only a Nemesis turns a guard into a named character.
int NewCharacters(LevelId levelId, const SetupView& before, const SetupView& after) {
  if (levelId == level::kCuba) return 0;
  int changes = 0;
  for (std::size_t i = 0; i < after.guards.size(); ++i) {
    changes += !IsCharacterBodyType(before.guards[i].bodyType) &&
               IsCharacterBodyType(after.guards[i].bodyType);
  }
  return changes;
}

int KeyMoves(LevelId, const SetupView& before, const SetupView& after) {
  int changes = 0;
  for (std::size_t i = 0; i < after.keys.size(); ++i) {
    changes += before.keys[i].holderId != after.keys[i].holderId ||
               before.keys[i].modelId != after.keys[i].modelId;
  }
  return changes;
}

int CubaBodyChanges(LevelId levelId, const SetupView& before, const SetupView& after) {
  if (levelId != level::kCuba) return 0;
  int changes = 0;
  for (std::size_t i = 0; i < after.guards.size(); ++i) {
    changes += before.guards[i].bodyType != after.guards[i].bodyType;
  }
  return changes;
}

struct SwitchCheck {
  const char* key;
  FieldCheck changes;
};

constexpr SwitchCheck kSwitchChecks[] = {
    {"RandomiseStartingWeapons", LoadoutChanges},
    {"RandomiseGuardTypes", GuardTypeSwaps},
    {"RandomiseGuardWeapons", GuardWeaponRerolls},
    {"AddNemesis", NewCharacters},
    {"RandomiseKeys", KeyMoves},
    {"RandomiseCubaBody", CubaBodyChanges},
};

int ChangesInEveryLevel(const SwitchCheck& check, const ImageView& before, const ImageView& after) {
  int changes = 0;
  for (std::size_t k = 0; k < after.setups.size(); ++k) {
    changes += check.changes(after.setups[k].catalogue->levelId, before.setups[k].setup,
                             after.setups[k].setup);
  }
  return changes;
}

TEST(RandomiserSwitches, ARandomiserSwitchedOffLeavesItsFieldsAsTheInputHadThem) {
  ImageRunner image(testing::CachedImage(image_builder::Layout::kRealistic).bytes);
  const ImageView before = testing::InspectImage(image.Input());
  ASSERT_EQ(before.setups.size(), 21u);

  // With every randomiser on, each check sees its randomiser's work.
  const ImageView allOn = testing::InspectImage(image.Run(kSeed).output);
  for (const SwitchCheck& check : kSwitchChecks) {
    EXPECT_GT(ChangesInEveryLevel(check, before, allOn), 0) << check.key;
  }

  for (const SwitchCheck& check : kSwitchChecks) {
    SCOPED_TRACE(check.key);
    const RunResult run = image.Run(kSeed, std::string(check.key) + "=0\n");
    EXPECT_EQ(run.log.back(), kSuccess);
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(),
                         "INFO LoadInROM(): Option [" + std::string(check.key) +
                             "] is off, not randomising it"),
              1);
    EXPECT_EQ(ChangesInEveryLevel(check, before, testing::InspectImage(run.output)), 0);
    ASSERT_TRUE(run.spoiler);
    const bool keysOff = std::string(check.key) == "RandomiseKeys";
    EXPECT_NE(run.spoiler->find(keysOff ? "=0\nKeys: where the original game has them\n"
                                        : "=0\nKeys: every key can be reached before the door it "
                                          "opens\n"),
              std::string::npos);
    if (check.changes == NewCharacters) {
      EXPECT_EQ(std::count(run.log.begin(), run.log.end(),
                           "TRACE GoldeneyeLevel::RandomiseLevel(): Adding Nemesis character"),
                0);
    }
  }
}

TEST(RandomiserSwitches, AllAbsentOrAllOnMakeTheSameGame) {
  ImageRunner image(testing::CachedImage(image_builder::Layout::kSmall).bytes);
  const RunResult absent = image.Run(kSeed);
  const RunResult allOn = image.Run(kSeed, kAllSwitchesOn);
  EXPECT_TRUE(absent.output == allOn.output);
  EXPECT_EQ(absent.log, allOn.log);
  EXPECT_EQ(absent.rdb, allOn.rdb);
  EXPECT_EQ(absent.spoiler, allOn.spoiler);
  ASSERT_TRUE(absent.spoiler);
  EXPECT_NE(absent.spoiler->find("\nSettings: everything randomised\nKeys: every key can be "
                                 "reached before the door it opens\n\n"),
            std::string::npos);
}

}  // namespace
}  // namespace velmo
