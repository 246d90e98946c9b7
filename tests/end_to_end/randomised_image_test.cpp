#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cartridge/checksum.h"
#include "emulator/rdb_update.h"
#include "harness/image_inspector.h"
#include "harness/image_runner.h"
#include "image_builder/image_builder.h"
#include "level/level_catalogue.h"
#include "support/number_text.h"

namespace velmo {
namespace {

using testing::ImageView;
using testing::SetupView;

constexpr std::uint32_t kTextRegionEnd = 0x8F7DE0;

using RandomisedImage = testing::ImageRunner;
using testing::RunResult;

ByteBuffer SyntheticImage(image_builder::Layout layout, std::uint64_t contentSeed = 11) {
  image_builder::ImageOptions options;
  options.layout = layout;
  options.contentSeed = contentSeed;
  return image_builder::BuildImage(options).bytes;
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& log,
                                           const std::string& prefix) {
  std::vector<std::string> found;
  std::copy_if(log.begin(), log.end(), std::back_inserter(found),
               [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  return found;
}

std::uint32_t AlignUp16(std::uint32_t value) {
  return (value + 15u) & ~15u;
}

void ExpectLevelsInspectedInTableOrder(const std::vector<std::string>& log) {
  std::vector<std::string> expected;
  for (const SetupFileInfo& file : kSetupFiles) {
    expected.push_back("INFO Inspecting " + GetLevelName(file.levelId) + "... ");
  }
  EXPECT_EQ(LinesStartingWith(log, "INFO Inspecting "), expected);
}

// The setup files lie back to back on 16-byte boundaries from the first one's
// old place, each a complete stream that inflates to its old length and
// walks to its end records, and the last ends before the text.
void ExpectSetupFilesPackedAndWhole(const ImageView& before, const ImageView& after) {
  ASSERT_EQ(after.setups.size(), 21u);
  ASSERT_EQ(before.setups.size(), 21u);
  std::uint32_t expectedOffset = before.setupEntries.front().imageOffset;
  for (std::size_t k = 0; k < after.setups.size(); ++k) {
    SCOPED_TRACE("setup entry " + std::to_string(k));
    const testing::SetupFileView& file = after.setups[k];
    EXPECT_EQ(file.entry.assetId, before.setups[k].entry.assetId);
    EXPECT_EQ(file.entry.imageOffset, expectedOffset);
    ASSERT_TRUE(file.block.complete);
    EXPECT_EQ(file.block.data.size(), before.setups[k].block.data.size());
    EXPECT_EQ(file.setup.introProblem, "");
    EXPECT_EQ(file.setup.objectProblem, "");
    expectedOffset = AlignUp16(file.entry.imageOffset + file.block.length);
  }
  std::uint32_t lowestEnglish = kTextRegionEnd;
  for (const testing::TextPairView& pair : after.textPairs) {
    lowestEnglish = std::min(lowestEnglish, pair.english.imageOffset);
  }
  EXPECT_LE(after.setups.back().entry.imageOffset + after.setups.back().block.length,
            lowestEnglish);
}

// Every English bank keeps its bytes at its new place; every Japanese bank is
// empty, starting where the next English bank (or the region) begins.
void ExpectEnglishTextKeptAndJapaneseGone(const ImageView& before, const ImageView& after) {
  ASSERT_EQ(after.textPairs.size(), 44u);
  ASSERT_EQ(before.textPairs.size(), 44u);
  for (std::size_t k = 0; k < after.textPairs.size(); ++k) {
    SCOPED_TRACE("text pair " + std::to_string(k));
    const testing::TextPairView& pair = after.textPairs[k];
    EXPECT_EQ(pair.englishText, before.textPairs[k].englishText);
    const std::uint32_t nextEnglish = k + 1 < after.textPairs.size()
                                          ? after.textPairs[k + 1].english.imageOffset
                                          : kTextRegionEnd;
    EXPECT_EQ(pair.japanese.imageOffset, nextEnglish);
  }
}

void ExpectChecksumAndDatabaseEntry(const RunResult& run) {
  const HeaderChecksum checksum = ComputeHeaderChecksum(run.output);
  EXPECT_EQ(testing::ReadWord(run.output, 0x10), checksum.crc1);
  EXPECT_EQ(testing::ReadWord(run.output, 0x14), checksum.crc2);
  EXPECT_EQ(run.rdb,
            std::string(RandomisedImage::kExistingRdb) +
                BuildRdbSection(ToUpperHexText(checksum.crc1), ToUpperHexText(checksum.crc2)));
}

class RandomisedImageConsistency : public ::testing::TestWithParam<image_builder::Layout> {};

TEST_P(RandomisedImageConsistency, OutputIsACompleteConsistentImage) {
  RandomisedImage image(SyntheticImage(GetParam()));
  const RunResult run = image.Run(20261208);
  EXPECT_EQ(LinesStartingWith(run.log, "ERROR "), std::vector<std::string>{});
  ASSERT_FALSE(run.log.empty());
  EXPECT_EQ(run.log.back(), "SUCCESS ROM has been successfully randomised :)");
  ExpectLevelsInspectedInTableOrder(run.log);

  ASSERT_EQ(run.output.size(), image.Input().size());
  const ImageView before = testing::InspectImage(image.Input());
  const ImageView after = testing::InspectImage(run.output);
  ASSERT_TRUE(after.table.complete);
  EXPECT_LE(after.table.length, 72703u);
  EXPECT_EQ(after.table.data.size(), before.table.data.size());
  ExpectSetupFilesPackedAndWhole(before, after);
  ExpectEnglishTextKeptAndJapaneseGone(before, after);
  ExpectChecksumAndDatabaseEntry(run);
}

INSTANTIATE_TEST_SUITE_P(Layouts, RandomisedImageConsistency,
                         ::testing::Values(image_builder::Layout::kSmall,
                                           image_builder::Layout::kRealistic),
                         [](const auto& info) {
                           return std::string(image_builder::LayoutName(info.param));
                         });

TEST(RandomisedImageReplay, SameSeedGivesTheSameImageLogAndDatabaseEntry) {
  RandomisedImage image(SyntheticImage(image_builder::Layout::kSmall));
  const RunResult first = image.Run(777);
  const RunResult second = image.Run(777);
  EXPECT_TRUE(first.output == second.output);
  EXPECT_EQ(first.log, second.log);
  EXPECT_EQ(first.rdb, second.rdb);

  const RunResult other = image.Run(778);
  EXPECT_FALSE(first.output == other.output);
  EXPECT_NE(first.rdb, other.rdb);
  EXPECT_EQ(LinesStartingWith(other.log, "ERROR "), std::vector<std::string>{});
}

// The bytes of each kind of record that the randomisers may change, counted
// from the record's start: the starting weapons' first weapon, second field
// and set; the starting ammunition's type, amount and set; a guard's ID, body
// and the two bytes behind it and its flags; a weapon's model, holder, byte 8
// and weapon ID; the model and holder of attachments and keys; a prop's model.
struct RecordFields {
  std::vector<std::uint32_t> offsets;
  std::vector<std::uint32_t> fields;
};

template <typename Records>
RecordFields FieldsOf(const Records& records, std::vector<std::uint32_t> fields) {
  RecordFields result{{}, std::move(fields)};
  for (const auto& record : records) result.offsets.push_back(record.offset);
  return result;
}

std::vector<bool> RandomisableBytes(const SetupView& setup, std::size_t length) {
  const std::vector<RecordFields> kinds = {
      FieldsOf(setup.startWeapons, {7, 8, 9, 10, 11, 15}),
      FieldsOf(setup.startAmmo, {7, 11, 15}),
      FieldsOf(setup.guards, {5, 9, 10, 11, 21}),
      FieldsOf(setup.weapons, {5, 7, 8, 128}),
      FieldsOf(setup.attachments, {5, 7}),
      FieldsOf(setup.keys, {5, 7}),
      FieldsOf(setup.props, {5}),
  };
  std::vector<bool> randomisable(length, false);
  for (const RecordFields& kind : kinds) {
    for (std::uint32_t offset : kind.offsets) {
      for (std::uint32_t field : kind.fields) {
        if (offset + field < length) randomisable[offset + field] = true;
      }
    }
  }
  return randomisable;
}

TEST(RandomisedImageFields, OnlyRandomisableFieldsOfTheSetupFilesChange) {
  RandomisedImage image(SyntheticImage(image_builder::Layout::kRealistic, 5));
  const RunResult run = image.Run(4242);
  const ImageView before = testing::InspectImage(image.Input());
  const ImageView after = testing::InspectImage(run.output);
  ASSERT_EQ(after.setups.size(), 21u);

  int changedGuardBodies = 0;
  int changedWeaponIds = 0;
  int changedStartWeapons = 0;
  for (std::size_t k = 0; k < after.setups.size(); ++k) {
    SCOPED_TRACE("setup entry " + std::to_string(k));
    const ByteBuffer& old = before.setups[k].block.data;
    const ByteBuffer& now = after.setups[k].block.data;
    ASSERT_EQ(now.size(), old.size());
    const std::vector<bool> randomisable = RandomisableBytes(before.setups[k].setup, old.size());
    for (std::size_t i = 0; i < old.size(); ++i) {
      if (old[i] != now[i]) {
        EXPECT_TRUE(randomisable[i]) << "byte " << i << " changed";
      }
    }
    const SetupView& was = before.setups[k].setup;
    const SetupView& is = after.setups[k].setup;
    for (std::size_t g = 0; g < is.guards.size(); ++g) {
      changedGuardBodies += is.guards[g].bodyType != was.guards[g].bodyType;
    }
    for (std::size_t w = 0; w < is.weapons.size(); ++w) {
      changedWeaponIds += is.weapons[w].weaponId != was.weapons[w].weaponId;
    }
    for (std::size_t s = 0; s < is.startWeapons.size(); ++s) {
      changedStartWeapons += is.startWeapons[s].byte7 != was.startWeapons[s].byte7;
    }
  }
  // A run that changed nothing would pass the check above; these show it did
  // its work.
  EXPECT_GT(changedGuardBodies, 0);
  EXPECT_GT(changedWeaponIds, 21);
  EXPECT_GT(changedStartWeapons, 5);
}

}  // namespace
}  // namespace velmo
