#include "image_builder/image_builder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <set>
#include <string>

#include "cartridge/checksum.h"
#include "cartridge/region_layout.h"
#include "image_builder/image_layout.h"
#include "level/level_catalogue.h"
#include "tools/built_images.h"

namespace velmo::testing {
namespace {

using image_builder::BuiltImage;
using image_builder::Layout;
using image_builder::SetupReport;

std::string Text(const ByteBuffer& bytes, std::uint32_t offset, std::uint32_t length) {
  return std::string(bytes.begin() + offset, bytes.begin() + offset + length);
}

std::uint32_t Crc32Of(const ByteBuffer& bytes, std::uint32_t from, std::uint32_t to) {
  return static_cast<std::uint32_t>(crc32(0L, bytes.data() + from, to - from));
}

// The checks below hold for images of both layouts. Each test program runs
// one test per process under ctest, so the checks are grouped into a few
// tests per image rather than one test each, to build each image only a few
// times.
struct Generated {
  const BuiltImage& built;
  const ImageView& view;
};

void ExpectHeaderNamesTheNtscGameInBigEndianOrder(const Generated& generated) {
  SCOPED_TRACE("HeaderNamesTheNtscGameInBigEndianOrder");
  const ByteBuffer& image = generated.built.bytes;
  ASSERT_EQ(image.size(), 0xC00000u);
  EXPECT_EQ(image[0], 0x80);
  EXPECT_EQ(Text(image, 0x20, 20), "GOLDENEYE           ");
  EXPECT_TRUE(std::all_of(image.begin() + 0x34, image.begin() + 0x3B,
                          [](std::uint8_t byte) { return byte == 0; }));
  EXPECT_EQ(Text(image, 0x3B, 4), "NGEE");
  EXPECT_EQ(image[0x3F], 0);
}

void ExpectChecksumWordsMatchTheFinishedImage(const Generated& generated) {
  SCOPED_TRACE("ChecksumWordsMatchTheFinishedImage");
  const ByteBuffer& image = generated.built.bytes;
  HeaderChecksum checksum = ComputeHeaderChecksum(image);
  EXPECT_EQ(ReadWord(image, 0x10), checksum.crc1);
  EXPECT_EQ(ReadWord(image, 0x14), checksum.crc2);
  EXPECT_EQ(Crc32Of(image, 0x40, 0x1000), 0x90BB6CB5u) << "boot code of the 6102 chip";
}

void ExpectFileTableBlockInflatesWithinItsSpace(const Generated& generated) {
  SCOPED_TRACE("FileTableBlockInflatesWithinItsSpace");
  const ImageView& view = generated.view;
  ASSERT_TRUE(view.table.complete);
  EXPECT_LE(view.table.length, 72703u);
  EXPECT_EQ(view.table.length, generated.built.report.tableCompressedSize);
  EXPECT_EQ(generated.built.bytes[0x21990], 0x11);
  EXPECT_EQ(generated.built.bytes[0x21991], 0x72);
  EXPECT_EQ(view.table.data.size(), generated.built.report.tableInflatedSize);
}

void ExpectSetupEntriesNameAssets617To637BackToBack(const Generated& generated) {
  SCOPED_TRACE("SetupEntriesNameAssets617To637BackToBack");
  const ImageView& view = generated.view;
  ASSERT_EQ(view.setupEntries.size(), 21u);
  EXPECT_EQ(ReadWord(view.table.data, 0x26FB0), 617u);
  for (std::size_t index = 0; index < 21; ++index) {
    const TableEntryView& entry = view.setupEntries[index];
    EXPECT_EQ(entry.position, 0x26FB0 + 12 * index);
    EXPECT_EQ(entry.assetId, 617 + index);
    std::uint32_t expectedStart = index == 0 ? image_builder::kFirstSetupOffset
                                             : region::kNorthAmerica.setups[index - 1].endBound + 1;
    EXPECT_EQ(entry.imageOffset, expectedStart) << "entry " << index;
  }
}

void ExpectEverySetupFileInflatesBeforeItsEndBound(const Generated& generated) {
  SCOPED_TRACE("EverySetupFileInflatesBeforeItsEndBound");
  const ImageView& view = generated.view;
  ASSERT_EQ(view.setups.size(), 21u);
  for (std::size_t index = 0; index < 21; ++index) {
    const SetupFileView& file = view.setups[index];
    const SetupReport& report = generated.built.report.setups[index];
    SCOPED_TRACE(GetLevelName(kSetupFiles[index].levelId));
    ASSERT_TRUE(file.block.complete);
    std::uint32_t available = region::kNorthAmerica.setups[index].endBound - file.entry.imageOffset;
    EXPECT_LE(file.block.length, available);
    EXPECT_EQ(file.block.length, report.compressedSize);
    EXPECT_EQ(file.block.data.size(), report.inflatedSize);
    EXPECT_EQ(generated.built.bytes[file.entry.imageOffset], 0x11);
    EXPECT_EQ(generated.built.bytes[file.entry.imageOffset + 1], 0x72);
  }
}

void ExpectIntroBlocksAndObjectListsWalkToTheirEndRecords(const Generated& generated) {
  SCOPED_TRACE("IntroBlocksAndObjectListsWalkToTheirEndRecords");
  const ImageView& view = generated.view;
  for (std::size_t index = 0; index < view.setups.size(); ++index) {
    const SetupView& setup = view.setups[index].setup;
    const image_builder::SetupNotes& notes = generated.built.report.setups[index].notes;
    LevelId level = kSetupFiles[index].levelId;
    SCOPED_TRACE(GetLevelName(level));
    EXPECT_EQ(setup.introProblem, "");
    EXPECT_EQ(setup.objectProblem, "");
    ASSERT_FALSE(setup.intro.empty());
    ASSERT_FALSE(setup.objects.empty());
    EXPECT_EQ(setup.introOffset, notes.introOffset);
    EXPECT_EQ(setup.objectListOffset, notes.objectListOffset);
    EXPECT_EQ(setup.intro.back().type, level == level::kCuba ? 8 : 9);
    EXPECT_EQ(setup.objects.back().type, 0x30);
    EXPECT_EQ(setup.objects.back().offset + 4, notes.objectListEnd);
    bool loneBlockEnd =
        std::any_of(setup.objects.begin(), setup.objects.end(),
                    [](const ObjectRecordView& record) { return record.type == 0x18; });
    EXPECT_FALSE(loneBlockEnd) << "a 0x18 record outside a block";
  }
}

void ExpectIntroBlocksHoldEveryTypeAndStartingWeaponsWithSecondWeapons(const Generated& generated) {
  SCOPED_TRACE("IntroBlocksHoldEveryTypeAndStartingWeaponsWithSecondWeapons");
  const ImageView& view = generated.view;
  int secondWeapons = 0;
  int singleWeapons = 0;
  for (const SetupFileView& file : view.setups) {
    const SetupView& setup = file.setup;
    std::set<std::uint8_t> types;
    for (const IntroRecordView& record : setup.intro) types.insert(record.type);
    for (std::uint8_t type = 0; type <= 7; ++type) EXPECT_TRUE(types.count(type)) << int{type};
    EXPECT_GE(setup.startWeapons.size(), 2u);
    EXPECT_GE(setup.startAmmo.size(), 2u);
    for (const StartWeaponView& weapon : setup.startWeapons) {
      if (weapon.secondField == 0xFFFFFFFFu) ++singleWeapons;
      if (weapon.secondField != 0xFFFFFFFFu) {
        ++secondWeapons;
        EXPECT_EQ(weapon.secondField >> 8, 0u) << "second weapon stored as 00 00 00 id";
        EXPECT_NE(weapon.secondField, 0u);
      }
    }
  }
  EXPECT_GE(secondWeapons, 21);
  EXPECT_GT(singleWeapons, 0);
}

void ExpectCubaEndsWithCreditsAndHoldsExactlyOneGuard(const Generated& generated) {
  SCOPED_TRACE("CubaEndsWithCreditsAndHoldsExactlyOneGuard");
  const SetupView& cuba = generated.view.setups[11].setup;
  ASSERT_EQ(kSetupFiles[11].levelId, level::kCuba);
  EXPECT_EQ(cuba.intro.back().type, 8);
  EXPECT_EQ(cuba.guards.size(), 1u);
  for (std::size_t index = 0; index < 21; ++index) {
    if (index == 11) continue;
    for (const IntroRecordView& record : generated.view.setups[index].setup.intro) {
      EXPECT_NE(record.type, 8) << GetLevelName(kSetupFiles[index].levelId);
    }
  }
}

void ExpectFacilityHasTwoKeysAndTrevelyanAtGuardEntry64(const Generated& generated) {
  SCOPED_TRACE("FacilityHasTwoKeysAndTrevelyanAtGuardEntry64");
  const SetupView& facility = generated.view.setups[1].setup;
  ASSERT_EQ(kSetupFiles[1].levelId, level::kFacility);
  EXPECT_EQ(facility.keys.size(), 2u);
  ASSERT_GE(facility.guards.size(), 65u);
  EXPECT_EQ(facility.guards[64].bodyType, 9);
  std::set<std::uint8_t> ids;
  for (const GuardView& guard : facility.guards) ids.insert(guard.guardId);
  for (std::uint8_t keycardHolder : {0, 1, 2, 3, 4, 23, 37, 38, 39, 40, 44, 45}) {
    EXPECT_TRUE(ids.count(keycardHolder)) << int{keycardHolder};
  }
}

void ExpectBunkerTwoHasSixKeysCarriedByItsGuards(const Generated& generated) {
  SCOPED_TRACE("BunkerTwoHasSixKeysCarriedByItsGuards");
  const SetupView& bunker = generated.view.setups[14].setup;
  ASSERT_EQ(kSetupFiles[14].levelId, level::kBunker2);
  ASSERT_EQ(bunker.keys.size(), 6u);
  EXPECT_GE(bunker.guards.size(), 3u);
}

bool HasBody(const SetupView& setup, std::initializer_list<std::uint8_t> bodies, bool armed) {
  return std::any_of(setup.guards.begin(), setup.guards.end(), [&](const GuardView& guard) {
    bool held =
        std::any_of(setup.weapons.begin(), setup.weapons.end(),
                    [&](const WeaponView& weapon) { return weapon.holderId == guard.guardId; });
    return held == armed && std::find(bodies.begin(), bodies.end(), guard.bodyType) != bodies.end();
  });
}

void ExpectLevelsHoldGuardsOfEveryBodyGroupArmedAndUnarmed(const Generated& generated) {
  SCOPED_TRACE("LevelsHoldGuardsOfEveryBodyGroupArmedAndUnarmed");
  for (std::size_t index = 0; index < 21; ++index) {
    LevelId level = kSetupFiles[index].levelId;
    if (level == level::kCuba) continue;
    const SetupView& setup = generated.view.setups[index].setup;
    SCOPED_TRACE(GetLevelName(level));
    EXPECT_TRUE(HasBody(setup, {0, 2, 3, 17, 19, 21, 37, 38}, true)) << "armed ordinary guard";
    EXPECT_TRUE(HasBody(setup, {0, 2, 3, 17, 19, 21, 37, 38}, false)) << "unarmed ordinary guard";
    EXPECT_TRUE(HasBody(setup, {1, 18, 22}, true)) << "armed officer";
    EXPECT_TRUE(HasBody(setup, {24, 25}, false)) << "unarmed officer";
    EXPECT_TRUE(HasBody(setup, {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 79}, true)) << "character";
    EXPECT_TRUE(HasBody(setup, {35}, true));
    EXPECT_TRUE(HasBody(setup, {35}, false));
  }
  // The default guard types of Facility, Silo and Caves, with the level's word
  // in bytes 10 and 11 of their body type 35 guards.
  for (auto [index, defaultType, type35Byte11] :
       {std::tuple{1, 2, 13}, std::tuple{18, 3, 16}, std::tuple{3, 4, 8}}) {
    const SetupView& setup = generated.view.setups[index].setup;
    SCOPED_TRACE(GetLevelName(kSetupFiles[index].levelId));
    EXPECT_TRUE(HasBody(setup, {static_cast<std::uint8_t>(defaultType)}, true));
    EXPECT_TRUE(HasBody(setup, {static_cast<std::uint8_t>(defaultType)}, false));
    for (const GuardView& guard : setup.guards) {
      if (guard.bodyType != 35) continue;
      EXPECT_EQ(guard.byte10, 4);
      EXPECT_EQ(guard.byte11, type35Byte11);
    }
  }
}

void ExpectLevelsHoldTheUnusualFieldsVelmoMustCopeWith(const Generated& generated) {
  SCOPED_TRACE("LevelsHoldTheUnusualFieldsVelmoMustCopeWith");
  for (std::size_t index = 0; index < 21; ++index) {
    LevelId level = kSetupFiles[index].levelId;
    if (level == level::kCuba) continue;
    const SetupView& setup = generated.view.setups[index].setup;
    SCOPED_TRACE(GetLevelName(level));
    EXPECT_TRUE(std::any_of(setup.guards.begin(), setup.guards.end(), [](const GuardView& guard) {
      return guard.flags & 0xF0;
    })) << "guard flag byte with high bits";
    EXPECT_TRUE(std::any_of(
        setup.weapons.begin(), setup.weapons.end(),
        [](const WeaponView& weapon) { return weapon.byte8 != 0x00 && weapon.byte8 != 0x10; }))
        << "weapon byte 8 other than 0x00 and 0x10";
    EXPECT_TRUE(std::any_of(setup.weapons.begin(), setup.weapons.end(),
                            [](const WeaponView& weapon) { return weapon.holderId == 255; }));
    EXPECT_TRUE(std::any_of(setup.attachments.begin(), setup.attachments.end(),
                            [](const ItemView& item) { return item.holderId == 255; }));
    EXPECT_TRUE(std::any_of(setup.attachments.begin(), setup.attachments.end(),
                            [](const ItemView& item) { return item.holderId != 255; }));
    EXPECT_FALSE(setup.props.empty());
  }
}

void ExpectObjectListsMixSkippedTypesVariableRecordsAndBlocks(const Generated& generated) {
  SCOPED_TRACE("ObjectListsMixSkippedTypesVariableRecordsAndBlocks");
  for (std::size_t index = 0; index < 21; ++index) {
    const SetupView& setup = generated.view.setups[index].setup;
    SCOPED_TRACE(GetLevelName(kSetupFiles[index].levelId));
    std::set<std::uint8_t> types;
    for (const ObjectRecordView& record : setup.objects) types.insert(record.type);
    EXPECT_GE(types.size(), 20u);
    EXPECT_TRUE(types.count(0x19)) << "objective block";
    bool variable = std::any_of(setup.objects.begin(), setup.objects.end(), [](const auto& record) {
      return record.type == 0x0F || record.type == 0x10 || record.type == 0x22 ||
             record.type == 0x29 || (record.type >= 0x1B && record.type <= 0x20);
    });
    EXPECT_TRUE(variable);
  }
}

void ExpectGuardsInsideBlocksAreThereButNotListed(const Generated& generated) {
  SCOPED_TRACE("GuardsInsideBlocksAreThereButNotListed");
  int hidden = 0;
  for (std::size_t index = 0; index < 21; ++index) {
    const SetupFileView& file = generated.view.setups[index];
    for (std::uint32_t offset : generated.built.report.setups[index].notes.hiddenGuardOffsets) {
      ++hidden;
      EXPECT_EQ(file.block.data.at(offset + 3), 0x09);
      auto block =
          std::find_if(file.setup.objects.begin(), file.setup.objects.end(),
                       [&](const ObjectRecordView& record) {
                         return record.offset < offset && offset < record.offset + record.length;
                       });
      ASSERT_NE(block, file.setup.objects.end());
      EXPECT_EQ(block->type, 0x17);
      EXPECT_TRUE(std::none_of(file.setup.guards.begin(), file.setup.guards.end(),
                               [&](const GuardView& guard) { return guard.offset == offset; }));
    }
  }
  EXPECT_EQ(hidden, 20) << "one in every level but Cuba";
}

void ExpectTextPairsKeepTheirFixedEntriesAndOffsets(const Generated& generated) {
  SCOPED_TRACE("TextPairsKeepTheirFixedEntriesAndOffsets");
  const ImageView& view = generated.view;
  ASSERT_EQ(view.textPairs.size(), 44u);
  EXPECT_EQ(ReadWord(view.table.data, 0x270AC), 638u);
  for (std::size_t pair = 0; pair < 44; ++pair) {
    EXPECT_EQ(view.textPairs[pair].english.assetId, 638 + 2 * pair);
    EXPECT_EQ(view.textPairs[pair].japanese.assetId, 639 + 2 * pair);
  }
  EXPECT_EQ(view.textPairs.front().english.position + 8, 0x270B4u);
  EXPECT_EQ(view.textPairs.front().japanese.position + 8, 0x270C0u);
  EXPECT_EQ(view.textPairs.front().english.imageOffset, 0x8E7410u);
  EXPECT_EQ(view.textPairs.front().japanese.imageOffset, 0x8E7420u);
  EXPECT_EQ(view.textPairs.back().english.position + 8, 0x274BCu);
  EXPECT_EQ(view.textPairs.back().japanese.position + 8, 0x274C8u);
  EXPECT_EQ(view.textPairs.back().english.imageOffset, 0x8F7DC0u);
  EXPECT_EQ(view.textPairs.back().japanese.imageOffset, 0x8F7DD0u);
  EXPECT_EQ(view.textPairs.back().japanese.imageOffset + view.textPairs.back().englishText.size(),
            0x8F7DE0u);
}

void ExpectTextBanksLieBackToBackWithVariedRecognisableEnglishText(const Generated& generated) {
  SCOPED_TRACE("TextBanksLieBackToBackWithVariedRecognisableEnglishText");
  const ImageView& view = generated.view;
  std::set<std::size_t> lengths;
  int empty = 0;
  std::uint32_t total = 0;
  for (std::size_t pair = 0; pair < 44; ++pair) {
    const TextPairView& text = view.textPairs[pair];
    if (pair + 1 < 44) {
      EXPECT_LT(text.japanese.imageOffset, view.textPairs[pair + 1].english.imageOffset);
    }
    lengths.insert(text.englishText.size());
    total += static_cast<std::uint32_t>(text.englishText.size());
    if (text.englishText.empty()) {
      ++empty;
      EXPECT_EQ(static_cast<int>(pair), generated.built.report.emptyEnglishPair);
      continue;
    }
    char tag[8];
    std::snprintf(tag, sizeof tag, "[E%02zu]", pair);
    EXPECT_EQ(std::string(text.englishText.begin(), text.englishText.begin() + 5), tag);
  }
  EXPECT_EQ(empty, 1);
  EXPECT_GE(lengths.size(), 30u);
  EXPECT_EQ(total, generated.built.report.englishTextTotal);
  EXPECT_EQ(Text(generated.built.bytes, 0x8F7DC0, 16).substr(0, 6), "[E43] ");
}

void ExpectUnusedBytesArePseudoRandom(const Generated& generated) {
  SCOPED_TRACE("UnusedBytesArePseudoRandom");
  // Code and data of the rest of the game, before the table block.
  const ByteBuffer& image = generated.built.bytes;
  std::size_t zeros = std::count(image.begin() + 0x1000, image.begin() + 0x21990, 0);
  EXPECT_LT(zeros, 0x20990u / 128);
  // The byte at each end bound belongs to no file.
  std::set<std::uint8_t> endBoundBytes;
  for (const SetupPlacement& setup : region::kNorthAmerica.setups) {
    endBoundBytes.insert(image[setup.endBound]);
  }
  EXPECT_GT(endBoundBytes.size(), 10u);
}

void ExpectSoundStructure(const Generated& generated) {
  ExpectHeaderNamesTheNtscGameInBigEndianOrder(generated);
  ExpectChecksumWordsMatchTheFinishedImage(generated);
  ExpectFileTableBlockInflatesWithinItsSpace(generated);
  ExpectSetupEntriesNameAssets617To637BackToBack(generated);
  ExpectEverySetupFileInflatesBeforeItsEndBound(generated);
  ExpectIntroBlocksAndObjectListsWalkToTheirEndRecords(generated);
  ExpectTextPairsKeepTheirFixedEntriesAndOffsets(generated);
  ExpectTextBanksLieBackToBackWithVariedRecognisableEnglishText(generated);
  ExpectUnusedBytesArePseudoRandom(generated);
}

void ExpectEverythingVelmoReads(const Generated& generated) {
  ExpectIntroBlocksHoldEveryTypeAndStartingWeaponsWithSecondWeapons(generated);
  ExpectCubaEndsWithCreditsAndHoldsExactlyOneGuard(generated);
  ExpectFacilityHasTwoKeysAndTrevelyanAtGuardEntry64(generated);
  ExpectBunkerTwoHasSixKeysCarriedByItsGuards(generated);
  ExpectLevelsHoldGuardsOfEveryBodyGroupArmedAndUnarmed(generated);
  ExpectLevelsHoldTheUnusualFieldsVelmoMustCopeWith(generated);
  ExpectObjectListsMixSkippedTypesVariableRecordsAndBlocks(generated);
  ExpectGuardsInsideBlocksAreThereButNotListed(generated);
}

Generated Small() {
  return {CachedImage(Layout::kSmall), CachedView(Layout::kSmall)};
}

TEST(SmallImageTest, HeaderTableTextAndSetupFilesAreSound) {
  ExpectSoundStructure(Small());
}

TEST(SmallImageTest, SetupFilesHoldEverythingVelmoReads) {
  ExpectEverythingVelmoReads(Small());
}

TEST(SmallImageTest, SetupFilesStaySmall) {
  for (const SetupReport& setup : CachedImage(Layout::kSmall).report.setups) {
    EXPECT_LT(setup.compressedSize, setup.space * 3 / 4) << GetLevelName(setup.levelId);
  }
}

// One test for the realistic image, which takes a second or two to build.
TEST(RealisticImageTest, IsSoundHoldsEverythingAndFillsItsSpacesLikeTheGame) {
  const BuiltImage& built = CachedImage(Layout::kRealistic);
  Generated generated{built, CachedView(Layout::kRealistic)};
  ExpectSoundStructure(generated);
  ExpectEverythingVelmoReads(generated);

  std::uint64_t compressed = 0;
  std::uint64_t inflated = 0;
  for (const SetupReport& setup : built.report.setups) {
    SCOPED_TRACE(GetLevelName(setup.levelId));
    double share = static_cast<double>(setup.compressedSize) / setup.space;
    EXPECT_GE(share, 0.75);
    EXPECT_LE(share, 0.95);
    compressed += setup.compressedSize;
    inflated += setup.inflatedSize;
  }
  EXPECT_GE(compressed, 180000u);
  EXPECT_GE(inflated, 1000000u);
  EXPECT_LE(inflated, 1500000u);
}

}  // namespace
}  // namespace velmo::testing
