#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cartridge/region_layout.h"
#include "image_builder/image_builder.h"
#include "image_builder/image_layout.h"
#include "level/level_catalogue.h"
#include "support/codec.h"
#include "tools/built_images.h"

namespace velmo::testing {
namespace {

using image_builder::ImageFault;
using image_builder::Layout;
namespace target = image_builder::fault_target;

constexpr std::uint32_t kTableBlockEnd = 0x21990 + 72703;

const ByteBuffer& Good() {
  return CachedImage(Layout::kSmall).bytes;
}
const ImageView& GoodView() {
  return CachedView(Layout::kSmall);
}
const ByteBuffer& Bad(ImageFault fault) {
  return CachedImage(Layout::kSmall, fault).bytes;
}
const ImageView& BadView(ImageFault fault) {
  return CachedView(Layout::kSmall, fault);
}

// Offsets at which two buffers of equal length differ.
std::vector<std::uint32_t> Differences(const ByteBuffer& a, const ByteBuffer& b) {
  std::vector<std::uint32_t> offsets;
  for (std::uint32_t offset = 0; offset < a.size() && offset < b.size(); ++offset) {
    if (a[offset] != b[offset]) offsets.push_back(offset);
  }
  return offsets;
}

bool AllWithin(const std::vector<std::uint32_t>& offsets, std::uint32_t from, std::uint32_t to) {
  return std::all_of(offsets.begin(), offsets.end(),
                     [&](std::uint32_t offset) { return offset >= from && offset < to; });
}

// Image differences outside the table block and the checksum words that
// cover it.
std::vector<std::uint32_t> DifferencesOutsideTable(const ByteBuffer& bad) {
  std::vector<std::uint32_t> outside;
  for (std::uint32_t offset : Differences(Good(), bad)) {
    bool checksum = offset >= 0x10 && offset < 0x18;
    bool table = offset >= 0x21990 && offset < kTableBlockEnd;
    if (!checksum && !table) outside.push_back(offset);
  }
  return outside;
}

TEST(ImageFaultTest, EveryFaultHasItsOwnName) {
  std::vector<std::string> names;
  for (ImageFault fault : image_builder::kAllFaults) {
    std::string name(image_builder::FaultName(fault));
    EXPECT_EQ(image_builder::FaultFromName(name), fault) << name;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

TEST(ImageFaultTest, ByteSwappedImageIsTheGoodImageWithEveryPairExchanged) {
  const ByteBuffer& bad = Bad(ImageFault::kByteSwapped);
  ASSERT_EQ(bad.size(), Good().size());
  EXPECT_EQ(bad[0], 0x37);
  ByteBuffer swapped = Good();
  for (std::size_t offset = 0; offset < swapped.size(); offset += 2) {
    std::swap(swapped[offset], swapped[offset + 1]);
  }
  EXPECT_TRUE(bad == swapped);
}

TEST(ImageFaultTest, HeaderFaultsChangeOnlyTheirField) {
  EXPECT_EQ(Differences(Good(), Bad(ImageFault::kOtherRegion)), std::vector<std::uint32_t>{0x3E});
  EXPECT_EQ(Bad(ImageFault::kOtherRegion)[0x3E], 'P');
  EXPECT_EQ(Differences(Good(), Bad(ImageFault::kNonZeroVersion)),
            std::vector<std::uint32_t>{0x3F});
  EXPECT_EQ(Bad(ImageFault::kNonZeroVersion)[0x3F], 1);

  const ByteBuffer& renamed = Bad(ImageFault::kWrongName);
  std::vector<std::uint32_t> changed = Differences(Good(), renamed);
  EXPECT_FALSE(changed.empty());
  EXPECT_TRUE(AllWithin(changed, 0x20, 0x34));
  EXPECT_NE(std::string(renamed.begin() + 0x20, renamed.begin() + 0x23), "GOL");
  EXPECT_EQ(renamed[0x34], 0) << "the name still ends before the zero bytes";
}

TEST(ImageFaultTest, TruncatedImagesAreTheGoodImageCutShort) {
  // Within the header, just short of the checksummed mebibyte, within the
  // setup files.
  for (std::uint32_t length : {0x40u, 0x100FFFu, 0x8B0000u}) {
    image_builder::ImageOptions options;
    options.contentSeed = 7;
    options.layout = Layout::kSmall;
    options.fault = ImageFault::kTruncated;
    options.truncatedLength = length;
    ByteBuffer bad = image_builder::BuildImage(options).bytes;
    ASSERT_EQ(bad.size(), length);
    EXPECT_TRUE(std::equal(bad.begin(), bad.end(), Good().begin())) << length;
  }
}

struct TableWordFault {
  ImageFault fault;
  std::uint32_t position;  // of the changed word in the inflated table
  std::uint32_t value;
};

TEST(ImageFaultTest, TableFaultsChangeExactlyTheirWordOfTheTable) {
  const std::uint32_t outOfOrderEnglish = 0x270AC + 24 * target::kOutOfOrderPair + 8;
  const std::vector<TableWordFault> faults = {
      {ImageFault::kWrongFirstTableWord, 0x26FB0, 616},
      {ImageFault::kSetupAssetIdOutOfRange, 0x26FB0 + 12 * target::kOutOfRangeEntry, 900},
      {ImageFault::kRepeatedSetupAssetId, 0x26FB0 + 12 * target::kRepeatedEntry, 625},
      {ImageFault::kSetupOffsetPastBound, 0x26FB0 + 12 * target::kPastBoundEntry + 8,
       region::kNorthAmerica.setups[target::kPastBoundEntry].endBound + 0x20},
      {ImageFault::kWrongFirstTextWord, 0x270AC, 637},
  };
  for (const TableWordFault& fault : faults) {
    SCOPED_TRACE(std::string(image_builder::FaultName(fault.fault)));
    const ImageView& view = BadView(fault.fault);
    ASSERT_TRUE(view.table.complete);
    EXPECT_EQ(ReadWord(view.table.data, fault.position), fault.value);
    std::vector<std::uint32_t> changed = Differences(GoodView().table.data, view.table.data);
    EXPECT_FALSE(changed.empty());
    EXPECT_TRUE(AllWithin(changed, fault.position, fault.position + 4));
    EXPECT_TRUE(DifferencesOutsideTable(Bad(fault.fault)).empty());
  }

  const ImageView& swapped = BadView(ImageFault::kTextPairOutOfOrder);
  const TextPairView& pair = GoodView().textPairs[target::kOutOfOrderPair];
  EXPECT_EQ(ReadWord(swapped.table.data, outOfOrderEnglish), pair.japanese.imageOffset);
  EXPECT_EQ(ReadWord(swapped.table.data, outOfOrderEnglish + 12), pair.english.imageOffset);
  EXPECT_LT(pair.english.imageOffset, pair.japanese.imageOffset);
  EXPECT_TRUE(AllWithin(Differences(GoodView().table.data, swapped.table.data), outOfOrderEnglish,
                        outOfOrderEnglish + 16));
  EXPECT_TRUE(DifferencesOutsideTable(Bad(ImageFault::kTextPairOutOfOrder)).empty());
}

TEST(ImageFaultTest, SetupThatDoesNotInflateChangesOnlyItsOwnSpace) {
  const int entry = target::kUninflatableEntry;
  const ImageView& view = BadView(ImageFault::kSetupDoesNotInflate);
  const SetupFileView& file = view.setups[entry];
  EXPECT_FALSE(file.block.complete);
  EXPECT_TRUE(file.block.data.empty());
  EXPECT_EQ(Bad(ImageFault::kSetupDoesNotInflate)[file.entry.imageOffset], 0x11);
  EXPECT_EQ(Bad(ImageFault::kSetupDoesNotInflate)[file.entry.imageOffset + 1], 0x72);
  std::vector<std::uint32_t> changed = Differences(Good(), Bad(ImageFault::kSetupDoesNotInflate));
  EXPECT_FALSE(changed.empty());
  EXPECT_TRUE(
      AllWithin(changed, file.entry.imageOffset, region::kNorthAmerica.setups[entry].endBound));
  for (int other = 0; other < 21; ++other) {
    if (other == entry) continue;
    EXPECT_TRUE(view.setups[other].block.complete) << other;
  }
}

TEST(ImageFaultTest, SetupLargerThanItsSpaceIsCutAtItsEndBound) {
  const int entry = target::kOversizedEntry;
  const ByteBuffer& bad = Bad(ImageFault::kSetupLargerThanSpace);
  const image_builder::SetupReport& report =
      CachedImage(Layout::kSmall, ImageFault::kSetupLargerThanSpace).report.setups[entry];
  EXPECT_GT(report.compressedSize, report.space);
  std::uint32_t start = GoodView().setupEntries[entry].imageOffset;
  InflatedBlock withinSpace = InflateBlock(
      std::span(bad).subspan(start, region::kNorthAmerica.setups[entry].endBound - start));
  EXPECT_FALSE(withinSpace.complete);
  EXPECT_FALSE(withinSpace.data.empty()) << "the part that fits is a real stream";
  std::vector<std::uint32_t> changed = Differences(Good(), bad);
  EXPECT_TRUE(AllWithin(changed, start, region::kNorthAmerica.setups[entry].endBound));
  EXPECT_EQ(bad[region::kNorthAmerica.setups[entry].endBound],
            Good()[region::kNorthAmerica.setups[entry].endBound]);
}

// The offsets Velmo's text repacking writes: English banks packed from the
// region end downwards, each Japanese bank empty.
ByteBuffer RepackTextOffsets(const ImageView& view) {
  ByteBuffer table = view.table.data;
  std::uint32_t cursor = 0x8F7DE0;
  for (int pair = 43; pair >= 0; --pair) {
    const TextPairView& text = view.textPairs[pair];
    cursor -= static_cast<std::uint32_t>(text.englishText.size());
    std::uint32_t english = text.english.position + 8;
    std::uint32_t japanese = text.japanese.position + 8;
    std::uint32_t japaneseOffset = cursor + static_cast<std::uint32_t>(text.englishText.size());
    for (int byte = 0; byte < 4; ++byte) {
      table[english + byte] = static_cast<std::uint8_t>(cursor >> (24 - 8 * byte));
      table[japanese + byte] = static_cast<std::uint8_t>(japaneseOffset >> (24 - 8 * byte));
    }
  }
  return table;
}

std::size_t CompressedTableSize(const ByteBuffer& table) {
  ByteBuffer block;
  CompressData(table, block, 3);
  return block.size();
}

TEST(ImageFaultTest, TableFilledToTheBrimNoLongerFitsOnceTheTextIsRepacked) {
  const ImageView& bad = BadView(ImageFault::kTableOverflowsOnRewrite);
  ASSERT_TRUE(bad.table.complete);
  EXPECT_LE(bad.table.length, 72703u);
  EXPECT_GT(bad.table.length, 72703u - 200);
  // Every asset entry is the good image's; only the tables before them differ.
  std::vector<std::uint32_t> changed = Differences(GoodView().table.data, bad.table.data);
  EXPECT_TRUE(AllWithin(changed, 0, 0x252C4));
  EXPECT_TRUE(DifferencesOutsideTable(Bad(ImageFault::kTableOverflowsOnRewrite)).empty());

  EXPECT_GT(CompressedTableSize(RepackTextOffsets(bad)), 72703u);
  EXPECT_LT(CompressedTableSize(RepackTextOffsets(GoodView())), 72703u - 10000);
}

TEST(ImageFaultTest, SetupFaultsLeaveTheTableAndChecksumAlone) {
  for (ImageFault fault : {ImageFault::kSetupDoesNotInflate, ImageFault::kSetupLargerThanSpace}) {
    EXPECT_TRUE(BadView(fault).table.data == GoodView().table.data);
    EXPECT_TRUE(std::equal(Good().begin(), Good().begin() + 0x1000, Bad(fault).begin()));
  }
}

}  // namespace
}  // namespace velmo::testing
