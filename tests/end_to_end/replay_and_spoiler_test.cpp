#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "harness/image_inspector.h"
#include "harness/image_runner.h"
#include "level/goldeneye_level.h"
#include "randomise/game_names.h"
#include "tools/built_images.h"

namespace velmo {
namespace {

using testing::ImageRunner;
using testing::RunResult;
using testing::SetupView;

const std::string kSuccess = "SUCCESS ROM has been successfully randomised :)";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> Without(std::vector<std::string> lines, const std::string& line) {
  lines.erase(std::remove(lines.begin(), lines.end(), line), lines.end());
  return lines;
}

TEST(SeedInConfig, ReplaysTheRunOfThatClockSeed) {
  ImageRunner image(testing::CachedImage(image_builder::Layout::kSmall).bytes);
  const RunResult byClock = image.Run(777);
  const RunResult byConfig = image.Run(123456, "Seed=00777\n");

  EXPECT_TRUE(byClock.output == byConfig.output);
  EXPECT_EQ(byClock.rdb, byConfig.rdb);
  ASSERT_TRUE(byClock.spoiler && byConfig.spoiler);
  EXPECT_EQ(*byClock.spoiler, *byConfig.spoiler);
  EXPECT_NE(byClock.spoiler->find("\nSeed: 777\n"), std::string::npos);
  const std::string usingSeed = "INFO LoadInROM(): Using seed [777] from config file";
  // The logs differ only by the seed line, which comes before the header report.
  EXPECT_EQ(Without(byConfig.log, usingSeed), byClock.log);
  const auto seedLine = std::find(byConfig.log.begin(), byConfig.log.end(), usingSeed);
  ASSERT_NE(seedLine, byConfig.log.end());
  ASSERT_NE(seedLine + 1, byConfig.log.end());
  EXPECT_EQ(seedLine[1].rfind("INFO Size of file [", 0), 0u);
  ASSERT_GE(byClock.log.size(), 4u);
  // Before the share code and the game hash.
  EXPECT_EQ(byClock.log[byClock.log.size() - 4], "INFO Randomised with seed [777]");
  EXPECT_EQ(byClock.log.back(), kSuccess);
  // The seed stays in the configuration for the next run to replay again.
  EXPECT_NE(byConfig.config.find("Seed=00777\n"), std::string::npos);
}

TEST(SeedInConfig, AFailedRunNamesTheSeedItUsed) {
  ImageRunner image(testing::CachedImage(image_builder::Layout::kSmall,
                                         image_builder::ImageFault::kSetupDoesNotInflate)
                        .bytes);
  const RunResult run = image.Run(55, "Seed=5\n");
  EXPECT_TRUE(Contains(run.log, "INFO LoadInROM(): Using seed [5] from config file"));
  EXPECT_EQ(run.log.back(), "ERROR Error provoking seed was 5");
  EXPECT_FALSE(run.spoiler);
}

// Bad values of the seed, the spoiler switch, the randomiser switches and the
// byte-order switch are refused before the first step: no copy is left,
// nothing counts.
TEST(RunOptionsInConfig, InvalidValuesStopTheRunBeforeItsFirstStep) {
  const std::string seedError = "] in config file is not a number from 0 to 4294967295";
  const std::string switchError = "] in config file, expected 0 or 1";
  const std::pair<std::string, std::string> kCases[] = {
      {"Seed=-1", "ERROR LoadInROM(): Seed [-1" + seedError},
      {"Seed=4294967296", "ERROR LoadInROM(): Seed [4294967296" + seedError},
      {"Seed=12a", "ERROR LoadInROM(): Seed [12a" + seedError},
      {"Seed= 5", "ERROR LoadInROM(): Seed [ 5" + seedError},
      {"Seed=+5", "ERROR LoadInROM(): Seed [+5" + seedError},
      {"SpoilerLog=yes", "ERROR LoadInROM(): Option [SpoilerLog] has value [yes" + switchError},
      {"RandomiseKeys=yes",
       "ERROR LoadInROM(): Option [RandomiseKeys] has value [yes" + switchError},
      {"AddNemesis= 0", "ERROR LoadInROM(): Option [AddNemesis] has value [ 0" + switchError},
      {"RandomiseCubaBody=2",
       "ERROR LoadInROM(): Option [RandomiseCubaBody] has value [2" + switchError},
      {"ConvertByteOrder=yes",
       "ERROR LoadInROM(): Option [ConvertByteOrder] has value [yes" + switchError},
  };
  ImageRunner image(testing::CachedImage(image_builder::Layout::kSmall).bytes);
  for (const auto& [line, error] : kCases) {
    SCOPED_TRACE(line);
    const RunResult run = image.Run(55, "RandomisedROMs=3\n" + line + "\n");
    EXPECT_TRUE(run.output.empty());
    ASSERT_GE(run.log.size(), 3u);
    EXPECT_EQ(run.log[run.log.size() - 3], error);
    EXPECT_EQ(run.log.back(), "ERROR Error provoking seed was 55");
    EXPECT_EQ(run.rdb, ImageRunner::kExistingRdb);
    EXPECT_FALSE(run.spoiler);
    EXPECT_NE(run.config.find("RandomisedROMs=3\n"), std::string::npos);
    EXPECT_EQ(std::count_if(run.log.begin(), run.log.end(),
                            [](const std::string& logLine) {
                              return logLine.find("LoadInROM(): ") != std::string::npos;
                            }),
              1);
  }
}

// The spoiler log's level blocks by level name; each line keeps its indent.
std::map<std::string, std::vector<std::string>> SpoilerBlocks(const std::string& spoiler) {
  std::map<std::string, std::vector<std::string>> blocks;
  std::istringstream in(spoiler.substr(spoiler.find("\n\n") + 2));
  std::string line;
  std::vector<std::string>* block = nullptr;
  while (std::getline(in, line)) {
    if (line.empty()) {
      block = nullptr;
    } else if (block == nullptr) {
      block = &blocks[line];
    } else {
      block->push_back(line);
    }
  }
  return blocks;
}

// The lines a level's block must hold, read back from the randomised image.
std::vector<std::string> LinesReadFromImage(LevelId levelId, const SetupView& setup) {
  std::vector<std::string> lines;
  if (levelId != level::kBunker2 && !setup.startWeapons.empty() && !setup.startAmmo.empty()) {
    const auto& weapon = setup.startWeapons.front();
    const auto& ammo = setup.startAmmo.front();
    lines.push_back("  Starting loadout: " + WeaponName(weapon.byte7) +
                    (weapon.secondField != 0xFFFFFFFF ? " x2" : "") + ", " +
                    std::to_string(ammo.amount) + " " + AmmunitionName(ammo.ammoType));
  }
  auto key = [&](const char* name, std::size_t index, bool withModel) {
    const auto& record = setup.keys.at(index);
    lines.push_back(std::string("  ") + name + ": guard " + std::to_string(record.holderId) +
                    (withModel ? ", key model " + std::to_string(record.modelId) : ""));
  };
  if (levelId == level::kFacility) {
    key("Keycard A", 0, true);
    key("Keycard B", 1, true);
  }
  if (levelId == level::kBunker2) {
    key("Natalia's cell key", 3, false);
    key("Key card 1", 4, false);
    key("Key card 2", 5, false);
  }
  if (levelId == level::kCuba) {
    lines.push_back("  Character: " + CharacterName(setup.guards.front().bodyType));
  }
  return lines;
}

// Every armed ordinary guard carries one of the three weapons its block names,
// and a Nemesis wears the character it names.
void ExpectGuardsAsNamed(const SetupView& setup, const std::vector<std::string>& block) {
  std::set<std::string> named;
  std::string nemesisLine;
  for (const std::string& line : block) {
    std::smatch match;
    static const std::regex kWeapons("  Guard weapons: primary (.*), secondary (.*), special (.*)");
    if (std::regex_match(line, match, kWeapons)) named = {match[1], match[2], match[3]};
    if (line.rfind("  Nemesis: guard ", 0) == 0) nemesisLine = line;
  }
  ASSERT_EQ(named.empty(), false);
  std::set<std::uint8_t> seen;
  for (const auto& guard : setup.guards) {
    if (!seen.insert(guard.guardId).second || IsCharacterBodyType(guard.bodyType)) continue;
    const auto weapon = std::find_if(setup.weapons.begin(), setup.weapons.end(),
                                     [&](const auto& w) { return w.holderId == guard.guardId; });
    if (weapon == setup.weapons.end()) continue;
    EXPECT_TRUE(named.count(WeaponName(weapon->weaponId))) << "guard " << int{guard.guardId};
  }
  if (nemesisLine.empty()) return;
  const auto nemesis = std::find_if(setup.guards.begin(), setup.guards.end(), [&](const auto& g) {
    return nemesisLine.rfind("  Nemesis: guard " + std::to_string(g.guardId) + " as " +
                                 CharacterName(g.bodyType) + " with ",
                             0) == 0;
  });
  EXPECT_NE(nemesis, setup.guards.end()) << nemesisLine;
}

TEST(SpoilerLog, AgreesWithTheImageItDescribes) {
  ImageRunner image(testing::CachedImage(image_builder::Layout::kRealistic).bytes);
  const RunResult run = image.Run(20261208);
  ASSERT_EQ(run.log.back(), kSuccess);
  EXPECT_TRUE(Contains(
      run.log, "SUCCESS ROM::WriteSpoilerLog(): Wrote spoiler log [" + image.SpoilerPath() + "]"));
  ASSERT_TRUE(run.spoiler);
  const auto blocks = SpoilerBlocks(*run.spoiler);
  const testing::ImageView after = testing::InspectImage(run.output);
  ASSERT_EQ(after.setups.size(), 21u);
  for (const testing::SetupFileView& file : after.setups) {
    const std::string name = GetLevelName(file.catalogue->levelId);
    SCOPED_TRACE(name);
    ASSERT_EQ(blocks.count(name), 1u);
    const std::vector<std::string>& block = blocks.at(name);
    for (const std::string& line : LinesReadFromImage(file.catalogue->levelId, file.setup)) {
      EXPECT_TRUE(Contains(block, line)) << line;
    }
    ExpectGuardsAsNamed(file.setup, block);
  }
}

TEST(SpoilerLog, SwitchedOffOrUnwritableLeavesNoFileAndTheRunSucceeds) {
  ImageRunner image(testing::CachedImage(image_builder::Layout::kSmall).bytes);
  const RunResult off = image.Run(9, "SpoilerLog=0\n");
  EXPECT_EQ(off.log.back(), kSuccess);
  EXPECT_FALSE(off.spoiler);
  EXPECT_FALSE(Contains(
      off.log, "SUCCESS ROM::WriteSpoilerLog(): Wrote spoiler log [" + image.SpoilerPath() + "]"));

  // A folder where the log should go: the rename over it fails.
  std::filesystem::create_directory(image.SpoilerPath());
  const RunResult blocked = image.Run(9);
  EXPECT_TRUE(blocked.output == off.output);
  EXPECT_EQ(blocked.log.back(), kSuccess);
  EXPECT_TRUE(Contains(blocked.log, "ERROR ROM::WriteSpoilerLog(): Unable to write spoiler log [" +
                                        image.SpoilerPath() + "]!"));
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(image.SpoilerPath()).parent_path())) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
  EXPECT_TRUE(std::filesystem::is_empty(image.SpoilerPath()));
}

}  // namespace
}  // namespace velmo
