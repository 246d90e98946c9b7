#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "app/driver.h"
#include "cartridge/checksum.h"
#include "emulator/rdb_update.h"
#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"
#include "platform/release_number.h"
#include "support/buffer_words.h"
#include "support/content_crc.h"
#include "support/number_text.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::ReadTextFile;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteBinaryFile;
using testing::WriteTextFile;

constexpr std::uint32_t kSeed = 1234567;
constexpr std::size_t kImageSize = 12 * 1024 * 1024;
constexpr std::uint32_t kStaleCrc1 = 0x11111111;
constexpr std::uint32_t kStaleCrc2 = 0x22222222;

std::uint32_t FixedClock() {
  return kSeed;
}

// A small synthetic image with stale checksum words, so that the run must
// recalculate them.
ByteBuffer MakeTestImage() {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  ByteBuffer image = image_builder::BuildImage(options).bytes;
  StoreBigEndian32(image.data() + 0x10, kStaleCrc1);
  StoreBigEndian32(image.data() + 0x14, kStaleCrc2);
  return image;
}

ByteBuffer ByteSwapped(ByteBuffer image) {
  for (std::size_t i = 0; i + 1 < image.size(); i += 2) std::swap(image[i], image[i + 1]);
  return image;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A run of the tool beside a fake executable, its configuration asking for
// the emulator database to be updated.
class VelmoRunTest : public ::testing::Test {
 protected:
  VelmoRunTest() {
    WriteTextFile(configPath, "UpdatePJ64=1\nPJ64RDBFile=" + rdbPath + "\nRandomisedROMs=4\n");
    WriteTextFile(rdbPath, "[Existing]\nGood Name=Other\n");
  }

  void Run(const ByteBuffer& input) {
    WriteBinaryFile(inputPath, input);
    EXPECT_EQ(RunVelmo({dir.File("Velmo.exe"), inputPath}, FixedClock), 0);
    EXPECT_EQ(ReadBinaryFile(inputPath), input) << "the input image must never change";
  }

  TempDir dir;
  std::string configPath = dir.File("Velmo.ini");
  std::string rdbPath = dir.File("Project64.rdb");
  std::string inputPath = dir.File("goldeneye.z64");
  std::string outputPath = dir.File("goldeneye_rand.z64");
  RecordingConsole console;
};

TEST_F(VelmoRunTest, CorrectImageIsReportedChecksummedAndEnteredInTheDatabase) {
  Run(MakeTestImage());
  const auto lines = console.Lines();
  EXPECT_TRUE(Contains(lines, "INFO Size of file [12582912] bytes CRC [11111111] [22222222]"));
  EXPECT_TRUE(Contains(
      lines, "INFO Byteswapped [No] ROM Identifier [GOLDENEYE           ] Game code [NGEE]"));

  const ByteBuffer output = ReadBinaryFile(outputPath);
  ASSERT_EQ(output.size(), kImageSize);
  const HeaderChecksum expected = ComputeHeaderChecksum(output);
  EXPECT_EQ(LoadBigEndian32(output.data() + 0x10), expected.crc1);
  EXPECT_EQ(LoadBigEndian32(output.data() + 0x14), expected.crc2);
  EXPECT_NE(expected.crc1, kStaleCrc1);
  const std::string crc1 = ToUpperHexText(expected.crc1);
  const std::string crc2 = ToUpperHexText(expected.crc2);
  EXPECT_TRUE(Contains(lines, "INFO ROM::RecalculateAndUpdateCRC(): Recalculated checksum [" +
                                  crc1 + "-" + crc2 + "] successfully"));

  EXPECT_EQ(ReadTextFile(rdbPath), "[Existing]\nGood Name=Other\n" + BuildRdbSection(crc1, crc2));
  EXPECT_TRUE(console.LinesStartingWith("ERROR ").empty());
  EXPECT_TRUE(Contains(lines, "INFO LoadInROM(): Finished processing ROM."));
  EXPECT_EQ(lines.back(), "SUCCESS ROM has been successfully randomised :)");
  EXPECT_NE(ReadTextFile(configPath).find("RandomisedROMs=5\n"), std::string::npos);
}

// The report a caller without a console (the browser page) relies on: the
// outcome, the seed in use and the image's path exactly as the run named it.
TEST_F(VelmoRunTest, ReportGivesOutcomeSeedAndOutputPath) {
  struct Case {
    bool swapped;
    std::string seedLine;
    RunReport expected;
  };
  const Case cases[] = {
      {false, "", {true, kSeed, outputPath}},
      {false, "Seed=42\n", {true, 42, outputPath}},
      {true, "Seed=42\n", {false, 42, outputPath}},
      {false, "Seed=abc\n", {false, kSeed, outputPath}},
  };
  for (const Case& c : cases) {
    WriteTextFile(configPath, c.seedLine);
    const ByteBuffer input = c.swapped ? ByteSwapped(MakeTestImage()) : MakeTestImage();
    WriteBinaryFile(inputPath, input);
    RunReport report{true, 7, "stale"};
    RunVelmo({dir.File("Velmo.exe"), inputPath}, FixedClock, &report);
    EXPECT_EQ(report.succeeded, c.expected.succeeded) << c.seedLine;
    EXPECT_EQ(report.seed, c.expected.seed) << c.seedLine;
    EXPECT_EQ(report.outputPath, c.expected.outputPath) << c.seedLine;
  }
  // A converted dump is saved, and reported, under the big-endian name.
  WriteTextFile(configPath, "ConvertByteOrder=1\n");
  const std::string dumpPath = dir.File("goldeneye.v64");
  WriteBinaryFile(dumpPath, ByteSwapped(MakeTestImage()));
  RunReport report;
  RunVelmo({dir.File("Velmo.exe"), dumpPath}, FixedClock, &report);
  EXPECT_TRUE(report.succeeded);
  EXPECT_EQ(report.outputPath, dir.File("goldeneye_rand.z64"));
  EXPECT_TRUE(std::filesystem::exists(report.outputPath));
}

// The page shows them beside the image.
TEST_F(VelmoRunTest, ReportCarriesTheShareCodeAndGameHash) {
  WriteBinaryFile(inputPath, MakeTestImage());
  RunReport report;
  RunVelmo({dir.File("Velmo.exe"), inputPath}, FixedClock, &report);
  EXPECT_EQ(
      report.shareCode,
      "R" + std::to_string(platform::GetReleaseNumber(dir.File("Velmo.exe"))) + "-1234567-111111");
  EXPECT_EQ(report.gameHashCrc, ToUpperHexText(ContentCrc32(ReadBinaryFile(outputPath))));
  EXPECT_TRUE(Contains(console.Lines(), "INFO Game hash [" + report.gameHashWords + "] (CRC-32 " +
                                            report.gameHashCrc + ")"));
}

TEST_F(VelmoRunTest, ByteSwappedImageFailsWithTheSeedAndChangesNothing) {
  const ByteBuffer swapped = ByteSwapped(MakeTestImage());
  Run(swapped);
  EXPECT_TRUE(
      Contains(console.Lines(), "INFO Size of file [12582912] bytes CRC [11111111] [22222222]"));
  EXPECT_EQ(
      console.LinesStartingWith("ERROR "),
      (std::vector<std::string>{
          "ERROR Unable to use byteswapped ROM!", "ERROR LoadInROM(): Failed processing ROM header",
          "ERROR Something went wrong during randomising and the ROM may not work as "
          "expected :(",
          "ERROR Error provoking seed was 1234567"}));
  EXPECT_FALSE(std::filesystem::exists(outputPath)) << "a refused run leaves no copy";
  EXPECT_EQ(ReadTextFile(rdbPath), "[Existing]\nGood Name=Other\n");
  EXPECT_NE(ReadTextFile(configPath).find("RandomisedROMs=4\n"), std::string::npos);
}

}  // namespace
}  // namespace velmo
