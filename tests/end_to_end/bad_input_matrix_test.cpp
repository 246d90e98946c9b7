// Every bad image the synthetic builder makes, run through the real Velmo
// executable (VELMO_BINARY), so that the same table runs on the Linux build
// and on the Windows build under wine. Each run must end normally with exit
// status 0 and exactly the expected problem lines, leave the input as it was,
// leave the emulator database alone, rewrite the configuration without
// losing a key or counting the image, and leave no copy behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "cartridge/region_layout.h"
#include "harness/program_run.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"
#include "image_builder/image_layout.h"
#include "image_builder/text_banks.h"
#include "level/level_catalogue.h"
#include "support/number_text.h"

namespace velmo {
namespace {

using image_builder::ImageFault;
using testing::ReadBinaryFile;
using testing::ReadTextFile;
using testing::TempDir;
using testing::WriteBinaryFile;
using testing::WriteTextFile;
namespace target = image_builder::fault_target;

constexpr std::uint32_t kTableBlockOffset = 0x21990;
constexpr std::uint32_t kTableBlockSpace = 0x11BFF;
constexpr const char* kSeedLinePrefix = "ERROR Error provoking seed was ";
constexpr const char* kDriverFailureLine =
    "ERROR Something went wrong during randomising and the ROM may not work as expected :(";
// Stands in an expected line for a size ratio above 100, six decimals.
constexpr const char* kAnyRatio = "{ratio above 100}";
constexpr const char* kDatabaseText = "[Existing]\nGood Name=Other\n";

// How far a bad image gets before the pipeline stops.
enum class Stop {
  kBeforeChanges,     // steps 1 to 5, which check before they write
  kInLevelLoop,       // step 6: setup spaces already cleared
  kAtTableWriteBack,  // step 8: setups packed, the old table block kept
};

struct BadInput {
  std::string name;
  ImageFault fault;
  std::uint32_t truncatedLength = 0;
  // WARN and ERROR lines before the driver's two. Once the level loop has run,
  // the randomisers may add WARN lines of their own that depend on the seed.
  std::vector<std::string> problemLines;
  Stop stop = Stop::kBeforeChanges;
};

// Test names and failure messages show the variant's name, not its bytes.
void PrintTo(const BadInput& input, std::ostream* out) {
  *out << input.name;
}

std::string Hex(std::uint32_t value) {
  return ToHexText(value);
}

image_builder::ImageOptions Options(ImageFault fault, std::uint32_t truncatedLength) {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  options.fault = fault;
  options.truncatedLength = truncatedLength;
  return options;
}

// The text pair that the out-of-order variant swaps, as the builder plans the
// text banks for the images of this test (planning them is cheap, building an
// image is not, and the table is made when the tests are listed).
image_builder::TextGroup SwappedTextPair() {
  image_builder::ContentRandom random(Options(ImageFault::kNone, 0).contentSeed,
                                      image_builder::stream::kTextBanks);
  return image_builder::PlanTextBanks(region::kNorthAmerica.text, random)
      .at(target::kOutOfOrderPair);
}

std::string PastBoundLine(int entry, std::uint32_t offset) {
  return "ERROR ProcessFileTable(): Setup file of entry [" + std::to_string(entry) + "] at [" +
         Hex(offset) + "] lies beyond its end bound [" +
         Hex(region::kNorthAmerica.setups[static_cast<std::size_t>(entry)].endBound) +
         "] or the image";
}

std::string CorruptedLevelLine(int entry) {
  return "ERROR ProcessROM(): The level [" +
         GetLevelName(kSetupFiles[static_cast<std::size_t>(entry)].levelId) +
         "] seems to have become corrupted!";
}

BadInput Truncated(std::uint32_t length, std::vector<std::string> problemLines) {
  return {"TruncatedTo" + std::to_string(length) + "Bytes", ImageFault::kTruncated, length,
          std::move(problemLines), Stop::kBeforeChanges};
}

std::vector<BadInput> TruncatedImages() {
  const std::string header = "ERROR LoadInROM(): Failed processing ROM header";
  const std::string table = "ERROR LoadInROM(): Failed to load 21990 data";
  const std::string setups = "ERROR LoadInROM(): Failed to process 21990 block";
  const std::string text = "ERROR LoadInROM(): Failed to strip out redundant Japanese data";
  const auto tooShort = [](std::uint32_t length) {
    return "ERROR Load21990Data(): Image of [" + std::to_string(length) +
           "] bytes is too short to hold the file table";
  };
  const std::string textBeyond = "ERROR StripOutJapaneseText(): Text region ends beyond the image!";
  const std::uint32_t secondSetup = region::kNorthAmerica.setups[0].endBound + 1;
  const std::uint32_t tableEnd = kTableBlockOffset + kTableBlockSpace;
  const std::uint32_t textEnd = region::kNorthAmerica.text.regionEnd;
  // From nothing to one byte short of the text region's end, at the edges of
  // the header, the boot code, the table block, the checksummed mebibyte, the
  // setup files and the text region. One byte already passes the byte-order
  // test, and 63 bytes end right after the game code, so both reach the later
  // checks of the header.
  return {
      Truncated(0, {"ERROR LoadInROM(): Failed to load file!"}),
      Truncated(1, {"ERROR This doesn't appear to be the NTSC Goldeneye ROM!", header}),
      Truncated(0x3B, {"ERROR This doesn't appear to be the NTSC Goldeneye ROM!", header}),
      Truncated(0x3F, {tooShort(0x3F), table}),
      Truncated(0x40, {tooShort(0x40), table}),
      Truncated(0x1000, {tooShort(0x1000), table}),
      Truncated(0x100F, {tooShort(0x100F), table}),
      Truncated(kTableBlockOffset, {tooShort(kTableBlockOffset), table}),
      Truncated(tableEnd - 1, {tooShort(tableEnd - 1), table}),
      Truncated(tableEnd, {PastBoundLine(0, image_builder::kFirstSetupOffset), setups}),
      Truncated(0x100FFF, {PastBoundLine(0, image_builder::kFirstSetupOffset), setups}),
      Truncated(image_builder::kFirstSetupOffset,
                {PastBoundLine(0, image_builder::kFirstSetupOffset), setups}),
      Truncated(secondSetup, {PastBoundLine(1, secondSetup), setups}),
      Truncated(region::kNorthAmerica.setups.back().endBound, {textBeyond, text}),
      Truncated(region::kNorthAmerica.text.regionStart + 0x8000, {textBeyond, text}),
      Truncated(textEnd - 1, {textBeyond, text}),
  };
}

std::vector<BadInput> BadInputs() {
  const std::string header = "ERROR LoadInROM(): Failed processing ROM header";
  const std::string setups = "ERROR LoadInROM(): Failed to process 21990 block";
  const std::string text = "ERROR LoadInROM(): Failed to strip out redundant Japanese data";
  const std::string levels = "ERROR LoadInROM(): Failed to randomise data";
  const std::string notNtsc = "ERROR This doesn't appear to be the NTSC Goldeneye ROM!";
  const image_builder::TextGroup swapped = SwappedTextPair();
  const std::uint32_t pastBound =
      region::kNorthAmerica.setups[target::kPastBoundEntry].endBound + target::kPastBoundDistance;
  std::vector<BadInput> inputs = {
      {"ByteSwapped",
       ImageFault::kByteSwapped,
       0,
       {"ERROR Unable to use byteswapped ROM!", header}},
      // A European game code on a North American image's layout.
      {"OtherRegion",
       ImageFault::kOtherRegion,
       0,
       {"ERROR LoadInROM(): This image's data block is not where a European GoldenEye keeps it",
        "ERROR LoadInROM(): Failed to load 21990 data"}},
      {"NonZeroVersion", ImageFault::kNonZeroVersion, 0, {notNtsc, header}},
      {"WrongName",
       ImageFault::kWrongName,
       0,
       {"ERROR This doesn't appear to be the Goldeneye ROM!", header}},
      {"WrongFirstTableWord",
       ImageFault::kWrongFirstTableWord,
       0,
       {"WARN ProcessFileTable(): First entry in 21990 table [" +
            std::to_string(target::kWrongFirstSetupAssetId) + "] is not what was expected!",
        setups}},
      {"SetupAssetIdOutOfRange",
       ImageFault::kSetupAssetIdOutOfRange,
       0,
       {"ERROR ProcessFileTable(): Encountered an unexpected asset ID",
        "ERROR ProcessFileTable(): Asset ID [" + std::to_string(target::kOutOfRangeAssetId) +
            "] of entry [" + std::to_string(target::kOutOfRangeEntry) +
            "] is not a level setup file",
        setups}},
      {"RepeatedSetupAssetId",
       ImageFault::kRepeatedSetupAssetId,
       0,
       {"ERROR ProcessFileTable(): Asset ID [" +
            std::to_string(kSetupFiles[target::kRepeatedEntry - 1].assetId) + "] of entry [" +
            std::to_string(target::kRepeatedEntry) + "] appears more than once",
        setups}},
      {"SetupOffsetPastBound",
       ImageFault::kSetupOffsetPastBound,
       0,
       {PastBoundLine(target::kPastBoundEntry, pastBound), setups}},
      {"WrongFirstTextWord",
       ImageFault::kWrongFirstTextWord,
       0,
       {"ERROR StripOutJapaneseText(): First entry in 21990 table [" +
            std::to_string(target::kWrongFirstTextAssetId) + "] is not what was expected!",
        text}},
      {"TextPairOutOfOrder",
       ImageFault::kTextPairOutOfOrder,
       0,
       {"ERROR StripOutJapaneseText(): Text bank pair [" + std::to_string(target::kOutOfOrderPair) +
            "] at [" + Hex(swapped.banks[1].offset) + "] [" + Hex(swapped.banks[0].offset) +
            "] is out of order in the text region!",
        text}},
      {"SetupDoesNotInflate",
       ImageFault::kSetupDoesNotInflate,
       0,
       {"WARN DecompressData(): Failed with message [invalid block type]",
        CorruptedLevelLine(target::kUninflatableEntry), levels},
       Stop::kInLevelLoop},
      {"SetupLargerThanItsSpace",
       ImageFault::kSetupLargerThanSpace,
       0,
       {"WARN DecompressData(): Failed with message [no message]",
        CorruptedLevelLine(target::kOversizedEntry), levels},
       Stop::kInLevelLoop},
      // The new table's size depends on where the randomised setup files
      // landed, and so on the seed.
      {"TableNoLongerFits",
       ImageFault::kTableOverflowsOnRewrite,
       0,
       {"ERROR WriteUpdated21990(): New compressed block is larger [" + std::string(kAnyRatio) +
            "%] than the original and won't fit!",
        "ERROR LoadInROM(): Failed to write updated 21990 data"},
       Stop::kAtTableWriteBack},
  };
  for (BadInput& input : TruncatedImages()) inputs.push_back(std::move(input));
  return inputs;
}

std::vector<std::string> LinesStartingWith(const std::string& output, const std::string& prefix) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool IsRatioAbove100(const std::string& text) {
  const std::size_t point = text.find('.');
  const auto digits = [](const std::string& part) {
    return !part.empty() &&
           std::all_of(part.begin(), part.end(), [](char c) { return std::isdigit(c) != 0; });
  };
  return point != std::string::npos && digits(text.substr(0, point)) &&
         text.size() - point - 1 == 6 && digits(text.substr(point + 1)) && std::stod(text) > 100;
}

bool LineMatches(const std::string& actual, const std::string& expected) {
  const std::size_t hole = expected.find(kAnyRatio);
  if (hole == std::string::npos) return actual == expected;
  const std::string before = expected.substr(0, hole);
  const std::string after = expected.substr(hole + std::string(kAnyRatio).size());
  return actual.size() > before.size() + after.size() && actual.rfind(before, 0) == 0 &&
         actual.compare(actual.size() - after.size(), after.size(), after) == 0 &&
         IsRatioAbove100(
             actual.substr(before.size(), actual.size() - before.size() - after.size()));
}

bool LinesMatch(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
  return actual.size() == expected.size() &&
         std::equal(actual.begin(), actual.end(), expected.begin(), LineMatches);
}

std::vector<std::string> Only(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> kept;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept),
               [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  return kept;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool IsDecimal(const std::string& text) {
  return !text.empty() && text.size() <= 10 &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(c) != 0; }) &&
         (text == "0" || text[0] != '0');
}

std::uint32_t Now() {
  return static_cast<std::uint32_t>(std::time(nullptr));
}

class BadInputMatrix : public ::testing::TestWithParam<BadInput> {
 protected:
  void SetUp() override {
    const std::string velmo = testing::VelmoBinaryPath();
    ASSERT_FALSE(velmo.empty()) << "VELMO_BINARY is not set";
    // A copy of the tool in the test's own folder, so that the configuration
    // file beside it is the test's.
    tool = (dir.Path() / std::filesystem::path(velmo).filename()).string();
    std::filesystem::copy_file(velmo, tool);
  }

  // Every key the tool knows, one it does not, a comment and an empty line;
  // the rewritten file keeps the keys in their order and drops the rest.
  std::string ConfigurationBefore() const {
    return "# Velmo options\nTraceLogging=0\nUpdatePJ64=1\nPJ64RDBFile=" + databasePath +
           "\n\nRandomisedROMs=41\nPreferredColour=green = yes\n";
  }
  std::string ConfigurationAfter() const {
    return "TraceLogging=0\nUpdatePJ64=1\nPJ64RDBFile=" + databasePath +
           "\nRandomisedROMs=41\nPreferredColour=green = yes\n";
  }

  TempDir dir;
  std::string tool;
  std::string configPath = dir.File("Velmo.ini");
  std::string databasePath = dir.File("Project64.rdb");
  std::string inputPath = dir.File("goldeneye.z64");
};

TEST_P(BadInputMatrix, RefusesWithoutCrashOrLoss) {
  const BadInput& bad = GetParam();
  const ByteBuffer input = image_builder::BuildImage(Options(bad.fault, bad.truncatedLength)).bytes;
  if (bad.fault == ImageFault::kTruncated) {
    ASSERT_EQ(input.size(), bad.truncatedLength);
  }
  WriteBinaryFile(inputPath, input);
  WriteTextFile(configPath, ConfigurationBefore());
  WriteTextFile(databasePath, kDatabaseText);

  const std::uint32_t startedAt = Now();
  const testing::ProgramRun run = testing::RunProgram(tool, {inputPath});
  const std::uint32_t endedAt = Now();

  // A sanitizer report or a crash would end the process with another status.
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  std::vector<std::string> errors = LinesStartingWith(run.output, "ERROR ");
  ASSERT_GE(errors.size(), 2u) << run.output;
  const std::string seedLine = errors.back();
  errors.pop_back();
  ASSERT_EQ(seedLine.rfind(kSeedLinePrefix, 0), 0u) << seedLine;
  const std::string seed = seedLine.substr(std::string(kSeedLinePrefix).size());
  ASSERT_TRUE(IsDecimal(seed)) << seedLine;
  EXPECT_GE(std::stoull(seed), startedAt);
  EXPECT_LE(std::stoull(seed), endedAt);
  std::vector<std::string> expectedErrors = Only(bad.problemLines, "ERROR ");
  expectedErrors.push_back(kDriverFailureLine);
  EXPECT_TRUE(LinesMatch(errors, expectedErrors)) << ::testing::PrintToString(errors) << "\n"
                                                  << run.output;

  const std::vector<std::string> warnings = LinesStartingWith(run.output, "WARN ");
  const std::vector<std::string> expectedWarnings = Only(bad.problemLines, "WARN ");
  if (bad.stop == Stop::kBeforeChanges) {
    EXPECT_EQ(warnings, expectedWarnings);
  } else {
    for (const std::string& warning : expectedWarnings) {
      EXPECT_TRUE(Contains(warnings, warning)) << warning;
    }
  }
  EXPECT_EQ(run.output.find("SUCCESS ROM has been successfully randomised"), std::string::npos);

  EXPECT_EQ(ReadBinaryFile(inputPath), input) << "the input must never change";
  // Every bad image stops before the emulator database step.
  const std::string database = kDatabaseText;
  EXPECT_EQ(ReadBinaryFile(databasePath), ByteBuffer(database.begin(), database.end()));
  EXPECT_EQ(ReadTextFile(configPath), ConfigurationAfter());

  // However far it got, a failed run leaves no copy and no temporary file.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"Project64.rdb",
                                             std::filesystem::path(tool).filename().string(),
                                             "Velmo.ini", "goldeneye.z64"}));
}

INSTANTIATE_TEST_SUITE_P(EveryBadVariant, BadInputMatrix, ::testing::ValuesIn(BadInputs()),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                           return info.param.name;
                         });

TEST(BadInputMatrixCoverage, EveryFaultOfTheBuilderIsInTheMatrix) {
  const std::vector<BadInput> inputs = BadInputs();
  for (ImageFault fault : image_builder::kAllFaults) {
    if (fault == ImageFault::kNone) continue;
    // A fault added to the builder without its row here fails this test.
    EXPECT_TRUE(std::any_of(inputs.begin(), inputs.end(), [fault](const BadInput& input) {
      return input.fault == fault;
    })) << image_builder::FaultName(fault);
  }
  const auto truncations = std::count_if(inputs.begin(), inputs.end(), [](const BadInput& input) {
    return input.fault == ImageFault::kTruncated;
  });
  EXPECT_GE(truncations, 10);
}

}  // namespace
}  // namespace velmo
