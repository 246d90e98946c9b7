#include "assets/text_banks.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <numeric>
#include <ostream>

#include "assets/table_fixture.h"
#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "support/config_file.h"

namespace velmo {
namespace {

using testing::RecordingConsole;
using testing::TableFixture;
using testing::TempDir;
using testing::WriteTextFile;

class TextBanksTest : public ::testing::Test {
 protected:
  ConfigFile& Config(const std::string& lines) {
    WriteTextFile(dir.File("Velmo.ini"), lines);
    config = std::make_unique<ConfigFile>(dir.File("Velmo.ini"));
    return *config;
  }

  // The English bank of pair k as the fixture wrote it.
  ByteBuffer EnglishBank(std::uint32_t k) const {
    const std::uint32_t start = original.Word(kTextPairsStart + 24 * k + 8);
    return ByteBuffer(original.image.begin() + start,
                      original.image.begin() + start + original.englishLengths[k]);
  }

  TempDir dir;
  std::unique_ptr<ConfigFile> config;
  // Filled, so that a refusal must be seen to empty it.
  std::vector<MovedTextBank> moved{MovedTextBank{}};
  TableFixture fixture;
  const TableFixture original = fixture;
  RecordingConsole console;
};

TEST_F(TextBanksTest, RepacksEnglishBanksAgainstTheRegionEnd) {
  ASSERT_TRUE(
      StripOutJapaneseText(fixture.image, fixture.table, Config("TraceLogging=1\n"), moved));
  const std::uint32_t englishTotal =
      std::accumulate(fixture.englishLengths.begin(), fixture.englishLengths.end(), 0u);
  const std::uint32_t newStart = TableFixture::kRegionEnd - englishTotal;

  std::uint32_t expectedStart = newStart;
  for (std::uint32_t k = 0; k < 44; ++k) {
    const std::uint32_t pair = kTextPairsStart + 24 * k;
    ASSERT_EQ(fixture.Word(pair + 8), expectedStart) << "pair " << k;
    expectedStart += fixture.englishLengths[k];
    EXPECT_EQ(fixture.Word(pair + 20), expectedStart) << "Japanese bank of pair " << k;
    const ByteBuffer bank = EnglishBank(k);
    EXPECT_TRUE(
        std::equal(bank.begin(), bank.end(), fixture.image.begin() + fixture.Word(pair + 8)));
    ASSERT_EQ(moved.size(), 44u);
    EXPECT_EQ(moved[k].keptPosition, pair + 8);
    EXPECT_EQ(moved[k].length, bank.size());
    EXPECT_EQ(moved[k].crc32, crc32(0, bank.data(), static_cast<uInt>(bank.size())));
  }
  EXPECT_EQ(expectedStart, TableFixture::kRegionEnd);
  EXPECT_EQ(LowestKeptBankOffset(fixture.table), newStart);
  // The empty English bank ends where the next begins.
  EXPECT_EQ(fixture.Word(kTextPairsStart + 24 * 7 + 8), fixture.Word(kTextPairsStart + 24 * 8 + 8));

  EXPECT_TRUE(std::all_of(fixture.image.begin() + TableFixture::kRegionStart,
                          fixture.image.begin() + newStart, [](auto b) { return b == 0; }));
  EXPECT_TRUE(std::equal(fixture.image.begin(), fixture.image.begin() + TableFixture::kRegionStart,
                         original.image.begin()));
  EXPECT_TRUE(std::equal(fixture.image.begin() + TableFixture::kRegionEnd, fixture.image.end(),
                         original.image.begin() + TableFixture::kRegionEnd));

  const auto traces = console.LinesStartingWith("TRACE ");
  ASSERT_EQ(traces.size(), 44u);
  EXPECT_EQ(traces.front(),
            "TRACE ROM::StripOutJapaneseText(): Updated E [008f7dc0],  J [008f7dd0] -> [008f7dd0]");
  const auto infos = console.LinesStartingWith("INFO ");
  ASSERT_EQ(infos.size(), 3u);
  EXPECT_EQ(infos[0], "INFO StripOutJapaneseText(): Finished parsing 21990 block and caching data");
  EXPECT_EQ(infos[1], "INFO StripOutJapaneseText(): Text block wiped");
  EXPECT_EQ(infos[2], "INFO StripOutJapaneseText(): Finished reorganising text data [" +
                          std::to_string(68048 - englishTotal) + "] bytes freed");
}

TEST_F(TextBanksTest, TraceLinesOnlyWhenTraceLoggingIsExactlyOne) {
  for (const char* lines : {"", "TraceLogging=0\n", "TraceLogging=2\n"}) {
    TableFixture fresh;
    console.Clear();
    ASSERT_TRUE(StripOutJapaneseText(fresh.image, fresh.table, Config(lines), moved));
    EXPECT_TRUE(console.LinesStartingWith("TRACE ").empty()) << lines;
    EXPECT_EQ(console.Lines().size(), 3u);
  }
}

struct TextRefusal {
  const char* name;
  std::uint32_t offset;
  std::uint32_t value;
  std::string line;
};

// Names the case in test listings (instead of its raw bytes).
void PrintTo(const TextRefusal& refusal, std::ostream* out) {
  *out << refusal.name;
}

class TextBanksRefusal : public TextBanksTest, public ::testing::WithParamInterface<TextRefusal> {};

TEST_P(TextBanksRefusal, RefusesBeforeChangingAnything) {
  fixture.SetWord(GetParam().offset, GetParam().value);
  const TableFixture before = fixture;
  EXPECT_FALSE(
      StripOutJapaneseText(fixture.image, fixture.table, Config("TraceLogging=1\n"), moved));
  EXPECT_EQ(console.Lines(), std::vector<std::string>{GetParam().line});
  EXPECT_EQ(fixture.table, before.table);
  EXPECT_EQ(fixture.image, before.image);
  EXPECT_TRUE(moved.empty());
}

const char kFirstPairWrong[] =
    "ERROR StripOutJapaneseText(): First entry in InStageText collection was not what was "
    "expected!";
const char kOutOfOrder[] = "ERROR StripOutJapaneseText(): Text bank pair [";

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBanksRefusal,
    ::testing::Values(
        TextRefusal{"FirstWordZero", 0x270AC, 0,
                    "ERROR StripOutJapaneseText(): First entry in 21990 table [0] is not what was "
                    "expected!"},
        TextRefusal{"LaterEnglishIdOutOfRange", 0x270AC + 24 * 10, 900,
                    "ERROR StripOutJapaneseText(): First entry in 21990 table [638] is not what "
                    "was expected!"},
        TextRefusal{"FirstJapaneseOffsetMoved", 0x270C0, 0x8E7421, kFirstPairWrong},
        TextRefusal{"LastEnglishOffsetMoved", 0x274BC, 0x8F7DB0,
                    "ERROR StripOutJapaneseText(): Last entry in InStageText collection was not "
                    "what was expected!"},
        // Pairs lie 1,581 bytes apart: pair 5 at 0x8E92F1, pair 6 at 0x8E991E.
        TextRefusal{"JapaneseBeforeEnglish", 0x270AC + 24 * 5 + 20, 0x8E7420,
                    std::string(kOutOfOrder) +
                        "5] at [008e92f1] [008e7420] is out of order in the text region!"},
        TextRefusal{"JapanesePastTheNextEnglish", 0x270AC + 24 * 5 + 20, 0x8E991F,
                    std::string(kOutOfOrder) +
                        "5] at [008e92f1] [008e991f] is out of order in the text region!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextBanksTest, RegionPastTheImageEndIsRefused) {
  fixture.image.resize(TableFixture::kRegionEnd - 1);
  const TableFixture before = fixture;
  EXPECT_FALSE(StripOutJapaneseText(fixture.image, fixture.table, Config(""), moved));
  EXPECT_EQ(
      console.Lines(),
      std::vector<std::string>{"ERROR StripOutJapaneseText(): Text region ends beyond the image!"});
  EXPECT_EQ(fixture.image, before.image);
  EXPECT_EQ(fixture.table, before.table);
  EXPECT_TRUE(moved.empty());
}

}  // namespace
}  // namespace velmo
