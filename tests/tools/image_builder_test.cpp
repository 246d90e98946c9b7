#include "image_builder/image_builder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <set>
#include <stdexcept>
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

// The address a boot-code function "lui v0, hi; jr ra; addiu v0, v0, lo"
// returns, lo taken as signed; 0 when the words are not of that form.
std::uint32_t ReturnedAddress(const ByteBuffer& image, std::uint32_t function) {
  const std::uint32_t upper = ReadWord(image, function);
  const std::uint32_t add = ReadWord(image, function + 8);
  if ((upper >> 16) != 0x3C02 || ReadWord(image, function + 4) != 0x03E00008 ||
      (add >> 16) != 0x2442) {
    return 0;
  }
  return (upper << 16) + static_cast<std::uint32_t>(std::int32_t{std::int16_t(add & 0xFFFF)});
}

// The first 4-byte-aligned run of the identifiers 617 to 638 at 12-byte steps.
std::uint32_t FindSetupEntries(const ByteBuffer& table) {
  for (std::uint32_t position = 0; position + 22 * 12 <= table.size(); position += 4) {
    bool run = true;
    for (std::uint32_t id = 0; run && id < 22; ++id) {
      run = ReadWord(table, position + 12 * id) == 617 + id;
    }
    if (run) return position;
  }
  return 0;
}

struct RegionCase {
  const RegionLayout* region;
  std::array<std::uint32_t, 3> startFunction;  // empty where the room is fixed
  std::string_view keptTag;                    // of the first group's kept bank
};

void ExpectTextGroupsFillTheRegion(const BuiltImage& built, const ByteBuffer& table,
                                   std::uint32_t entries) {
  const TextLayout& text = built.report.region->text;
  const auto& groups = built.report.textGroups;
  ASSERT_EQ(groups.size(), 44u);
  std::uint32_t next = text.regionStart;
  std::uint32_t position = entries + 21 * 12;
  std::uint32_t asset = 638;
  std::uint32_t kept = 0;
  for (std::size_t group = 0; group < 44; ++group) {
    ASSERT_EQ(groups[group].banks.size(), text.banksPerGroup);
    for (std::uint32_t bank = 0; bank < text.banksPerGroup; ++bank, position += 12) {
      const image_builder::TextBank& written = groups[group].banks[bank];
      EXPECT_EQ(ReadWord(table, position), asset++);
      EXPECT_EQ(ReadWord(table, position + 8), written.offset);
      EXPECT_EQ(written.offset, next) << "group " << group << " bank " << bank;
      EXPECT_TRUE(std::equal(written.text.begin(), written.text.end(),
                             built.bytes.begin() + written.offset));
      char tag[8];
      std::snprintf(tag, sizeof tag, "[%s%02zu]", text.bankLetters[bank].data(), group);
      if (!written.text.empty()) {
        EXPECT_EQ(Text(written.text, 0, 5), tag);
      }
      if (bank == text.keptBank) kept += static_cast<std::uint32_t>(written.text.size());
      next = written.offset + static_cast<std::uint32_t>(written.text.size());
    }
    const std::uint32_t firstBank = groups[group].banks.front().offset;
    if (group == 0) {
      EXPECT_EQ(firstBank, text.firstGroup[0]);
    }
    if (group == 43) {
      EXPECT_EQ(firstBank, text.lastGroup[0]);
    }
  }
  EXPECT_EQ(asset - 1, text.lastAssetId);
  EXPECT_EQ(next, text.regionEnd);
  for (std::uint32_t bank = 0; bank < text.banksPerGroup; ++bank) {
    EXPECT_EQ(groups.front().banks[bank].offset, text.firstGroup[bank]);
    EXPECT_EQ(groups.back().banks[bank].offset, text.lastGroup[bank]);
  }
  EXPECT_EQ(kept, built.report.keptTextTotal);
  ASSERT_GE(built.report.emptyKeptGroup, 0);
  EXPECT_TRUE(groups[built.report.emptyKeptGroup].banks[text.keptBank].text.empty());
}

TEST(RegionImageTest, EachRegionsImageLiesWhereItsFiguresSay) {
  const std::array<RegionCase, 3> cases = {{
      {&region::kNorthAmerica, {}, "[E00]"},
      {&region::kEurope, {0x3C020002, 0x03E00008, 0x2442F850}, "[P00]"},
      {&region::kJapan, {0x3C020002, 0x03E00008, 0x244219D0}, "[J00]"},
  }};
  for (const RegionCase& c : cases) {
    const RegionLayout& region = *c.region;
    SCOPED_TRACE(std::string(region.adjective));
    image_builder::ImageOptions options;
    options.layout = Layout::kSmall;
    options.region = c.region;
    const BuiltImage built = image_builder::BuildImage(options);
    const ByteBuffer& image = built.bytes;
    EXPECT_EQ(built.report.region, c.region);
    EXPECT_EQ(Text(image, 0x3B, 4), region.gameCode);
    HeaderChecksum checksum = ComputeHeaderChecksum(image);
    EXPECT_EQ(ReadWord(image, 0x10), checksum.crc1);
    EXPECT_EQ(ReadWord(image, 0x14), checksum.crc2);

    const std::uint32_t blockStart = region.dataBlock.offset;
    const InflatedBlock block = InflateBlock(std::span(image).subspan(blockStart));
    ASSERT_TRUE(block.complete);
    EXPECT_EQ(block.length, built.report.tableCompressedSize);
    if (!region.dataBlock.fixedRoom) {
      for (std::uint32_t word = 0; word < 3; ++word) {
        EXPECT_EQ(ReadWord(image, 0x10C8 + 4 * word), c.startFunction[word]);
      }
      EXPECT_EQ(ReturnedAddress(image, 0x10C8), blockStart);
      const std::uint32_t blockEnd = ReturnedAddress(image, 0x10D4);
      EXPECT_GT(blockEnd, blockStart + block.length);
      EXPECT_LT(blockEnd, region.setups.front().offset);
    }

    const ByteBuffer& table = block.data;
    const std::uint32_t entries = FindSetupEntries(table);
    EXPECT_EQ(entries, built.report.setupEntriesPosition);
    EXPECT_EQ(entries == 0x26FB0, &region == &region::kNorthAmerica);
    for (std::uint32_t index = 0; index < 21; ++index) {
      const std::uint32_t offset = ReadWord(table, entries + 12 * index + 8);
      const bool northAmerica = &region == &region::kNorthAmerica;
      EXPECT_EQ(offset, index == 0 && northAmerica ? image_builder::kFirstSetupOffset
                                                   : region.setups[index].offset);
      EXPECT_EQ(built.report.setups[index].romOffset, offset);
      const InflatedBlock setup =
          InflateBlock(std::span(image).subspan(offset, region.setups[index].endBound - offset));
      EXPECT_TRUE(setup.complete) << "setup " << index;
    }
    ExpectTextGroupsFillTheRegion(built, table, entries);
    EXPECT_EQ(Text(built.report.textGroups[0].banks[region.text.keptBank].text, 0, 5), c.keptTag);
  }
  image_builder::ImageOptions faulty;
  faulty.region = &region::kJapan;
  faulty.fault = image_builder::ImageFault::kWrongFirstTextWord;
  EXPECT_THROW(image_builder::BuildImage(faulty), std::invalid_argument);
}

}  // namespace
}  // namespace velmo::testing
