// The game's three cartridges, each randomised and read back by its own
// figures: the text it reads kept and packed at its text region's end, the
// rest emptied, every setup file whole at its new place, the table block
// within its room and nothing past it touched, the checksum right and the
// region's own Project64 entry. And the images whose data do not lie where
// their game code's region keeps them, refused with nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "cartridge/checksum.h"
#include "emulator/rdb_update.h"
#include "harness/image_inspector.h"
#include "harness/image_runner.h"
#include "image_builder/image_builder.h"
#include "image_builder/image_layout.h"
#include "support/buffer_words.h"
#include "support/codec.h"

namespace velmo {
namespace {

using image_builder::BuiltImage;
using image_builder::ImagePlaces;

BuiltImage RegionImage(const RegionLayout& region) {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  options.region = &region;
  options.contentSeed = 3;
  return image_builder::BuildImage(options);
}

std::uint32_t Word(const ByteBuffer& bytes, std::size_t offset) {
  return LoadBigEndian32(&bytes[offset]);
}

bool SameBytes(const ByteBuffer& a, const ByteBuffer& b, std::size_t from, std::size_t to) {
  return std::equal(a.begin() + from, a.begin() + to, b.begin() + from);
}

// The banks the region reads hold their old bytes, back to back up to the
// region's end; every other bank of a group is empty.
void ExpectTextRepacked(const ByteBuffer& output, const ByteBuffer& table,
                        const BuiltImage& input) {
  const TextLayout& text = input.report.region->text;
  std::uint32_t position = input.report.setupEntriesPosition + 21 * 12;
  std::uint32_t expectedStart = text.regionEnd - input.report.keptTextTotal;
  for (const image_builder::TextGroup& group : input.report.textGroups) {
    const ByteBuffer& kept = group.banks[text.keptBank].text;
    const std::uint32_t start = Word(table, position + 12 * text.keptBank + 8);
    ASSERT_EQ(start, expectedStart);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), output.begin() + start));
    for (std::uint32_t bank = 0; bank < text.banksPerGroup; ++bank) {
      const std::uint32_t emptyAt =
          bank < text.keptBank ? start : start + std::uint32_t(kept.size());
      if (bank == text.keptBank) continue;
      EXPECT_EQ(Word(table, position + 12 * bank + 8), emptyAt);
    }
    expectedStart += static_cast<std::uint32_t>(kept.size());
    position += 12 * text.banksPerGroup;
  }
  EXPECT_EQ(expectedStart, text.regionEnd);
}

class Regions : public ::testing::TestWithParam<const RegionLayout*> {};

TEST_P(Regions, EachImageIsRandomisedByItsOwnFigures) {
  const RegionLayout& region = *GetParam();
  const BuiltImage input = RegionImage(region);
  testing::ImageRunner runner(input.bytes);
  const testing::RunResult run = runner.Run(31337, "PJ64GameEntry=1\n");
  ASSERT_EQ(run.log.back(), "SUCCESS ROM has been successfully randomised :)");
  const ByteBuffer& output = run.output;
  ASSERT_EQ(output.size(), input.bytes.size());

  // The block fits its room, and the game's decompressor past it is untouched.
  const ImagePlaces places = image_builder::PlacesFor(region);
  const std::size_t roomEnd = std::size_t{places.tableBlockOffset} + places.tableBlockSpace;
  const testing::InflatedBlock table = testing::InflateBlock(
      std::span(output).subspan(places.tableBlockOffset, places.tableBlockSpace));
  ASSERT_TRUE(table.complete);
  EXPECT_TRUE(SameBytes(output, input.bytes, roomEnd, input.report.setups.front().romOffset));
  EXPECT_TRUE(SameBytes(output, input.bytes, 0x18, places.tableBlockOffset));

  for (std::size_t k = 0; k < input.report.setups.size(); ++k) {
    SCOPED_TRACE("setup " + std::to_string(k));
    const std::uint32_t entry = input.report.setupEntriesPosition + 12 * std::uint32_t(k);
    ASSERT_EQ(Word(table.data, entry), 617 + k);
    const testing::InflatedBlock setup =
        testing::InflateBlock(std::span(output).subspan(Word(table.data, entry + 8)));
    ASSERT_TRUE(setup.complete);
    EXPECT_EQ(setup.data.size(), input.report.setups[k].inflatedSize);
  }
  ExpectTextRepacked(output, table.data, input);

  const HeaderChecksum checksum = ComputeHeaderChecksum(output);
  EXPECT_EQ(Word(output, kCrc1Offset), checksum.crc1);
  EXPECT_EQ(Word(output, kCrc2Offset), checksum.crc2);
  EXPECT_EQ(run.rdb, testing::ImageRunner::kExistingRdb + BuildGameEntry(region));

  const std::uint32_t freed =
      region.text.regionEnd - region.text.regionStart - input.report.keptTextTotal;
  EXPECT_NE(std::find(run.log.begin(), run.log.end(),
                      "INFO StripOutJapaneseText(): Finished reorganising text data [" +
                          std::to_string(freed) + "] bytes freed"),
            run.log.end());
  ASSERT_TRUE(run.spoiler);
  const std::string regionLine =
      region.spoilerName.empty() ? "" : "Region: " + std::string(region.spoilerName) + "\n";
  EXPECT_NE(run.spoiler->find("Input image: " + runner.InputPath() + "\n" + regionLine +
                              "Output image: "),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(ThreeCartridges, Regions,
                         ::testing::Values(&region::kNorthAmerica, &region::kEurope,
                                           &region::kJapan),
                         [](const auto& info) { return std::string(info.param->gameCode); });

// The image's table, changed and put back into its block.
void ChangeTable(ByteBuffer& image, const ImagePlaces& places,
                 const std::function<void(ByteBuffer&)>& change) {
  ByteBuffer table;
  ASSERT_TRUE(DecompressData(
      std::span(image).subspan(places.tableBlockOffset, places.tableBlockSpace), table));
  change(table);
  ByteBuffer block;
  ASSERT_TRUE(CompressData(table, block, 3));
  ASSERT_LE(block.size(), places.tableBlockSpace);
  std::fill_n(image.begin() + places.tableBlockOffset, places.tableBlockSpace, 0);
  std::copy(block.begin(), block.end(), image.begin() + places.tableBlockOffset);
}

struct Mismatch {
  const char* name;
  const RegionLayout* builtAs;
  std::function<void(ByteBuffer&, const BuiltImage&)> damage;
  std::vector<std::string> problemLines;
};

TEST(Regions, ImagesNotLaidOutAsTheirRegionsAreRefusedUntouched) {
  const std::string european =
      "ERROR LoadInROM(): This image's data block is not where a European GoldenEye keeps it";
  const std::string blockFailed = "ERROR LoadInROM(): Failed to load 21990 data";
  const auto tableChange = [](std::uint32_t offsetFromEntries, std::uint32_t value) {
    return [=](ByteBuffer& image, const BuiltImage& built) {
      ChangeTable(image, image_builder::PlacesFor(*built.report.region), [&](ByteBuffer& table) {
        StoreBigEndian32(&table[built.report.setupEntriesPosition + offsetFromEntries], value);
      });
    };
  };
  const auto gameCode = [](char country) {
    return [=](ByteBuffer& image, const BuiltImage&) { image[0x3E] = std::uint8_t(country); };
  };
  const std::uint32_t palText = 21 * 12;
  const std::uint32_t lastJapaneseGroup = 21 * 12 + 43 * 24;
  const Mismatch kCases[] = {
      {"EuropeanBootWordsGone",
       &region::kEurope,
       [](ByteBuffer& image, const BuiltImage&) { std::fill_n(image.begin() + 0x10C8, 24, 0); },
       {european, blockFailed}},
      {"JapaneseImageWithEuropeanCode", &region::kJapan, gameCode('P'), {european, blockFailed}},
      {"EuropeanImageWithJapaneseCode",
       &region::kEurope,
       gameCode('J'),
       {"ERROR LoadInROM(): This image's data block is not where a Japanese GoldenEye keeps it",
        blockFailed}},
      // North America's block has a fixed place, where a European image has
      // the middle of its own block.
      {"EuropeanImageWithNorthAmericanCode",
       &region::kEurope,
       gameCode('E'),
       {"WARN DecompressData(): Failed with message [invalid stored block lengths]", blockFailed}},
      {"NoIdentifierRun",
       &region::kEurope,
       tableChange(5 * 12, 0),
       {"WARN ProcessFileTable(): First entry in 21990 table [0] is not what was expected!",
        "ERROR LoadInROM(): Failed to process 21990 block"}},
      {"FirstGroupNotEurope's",
       &region::kEurope,
       tableChange(palText + 2 * 12 + 8, 0x8DD8D0),
       {"ERROR StripOutJapaneseText(): First entry in InStageText collection was not what was "
        "expected!",
        "ERROR LoadInROM(): Failed to strip out redundant Japanese data"}},
      {"LastGroupNotJapan's",
       &region::kJapan,
       tableChange(lastJapaneseGroup + 12 + 8, 0x8F9034),
       {"ERROR StripOutJapaneseText(): Last entry in InStageText collection was not what was "
        "expected!",
        "ERROR LoadInROM(): Failed to strip out redundant Japanese data"}},
  };
  for (const Mismatch& test : kCases) {
    SCOPED_TRACE(test.name);
    const BuiltImage input = RegionImage(*test.builtAs);
    ByteBuffer bad = input.bytes;
    test.damage(bad, input);
    testing::ImageRunner runner(bad);
    const testing::RunResult run = runner.Run(5);
    std::vector<std::string> problems;
    std::copy_if(run.log.begin(), run.log.end(), std::back_inserter(problems),
                 [](const std::string& line) {
                   return line.starts_with("ERROR ") || line.starts_with("WARN ");
                 });
    std::vector<std::string> expected = test.problemLines;
    expected.push_back(
        "ERROR Something went wrong during randomising and the ROM may not work as expected :(");
    expected.push_back("ERROR Error provoking seed was 5");
    EXPECT_EQ(problems, expected);
    EXPECT_TRUE(run.output.empty()) << "a refused image left an output";
  }
}

}  // namespace
}  // namespace velmo
