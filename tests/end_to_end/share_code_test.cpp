// Players racing the same game: a run's share code makes that game again,
// and its game hash is the CRC-32 any tool computes of the output file.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "harness/image_runner.h"
#include "rom/game_hash.h"
#include "tools/built_images.h"

namespace velmo {
namespace {

using testing::ImageRunner;
using testing::RunResult;

const std::string kSuccess = "SUCCESS ROM has been successfully randomised :)";
const std::string kRelease = std::to_string(VELMO_RELEASE_NUMBER);

const ByteBuffer& SmallImage() {
  return testing::CachedImage(image_builder::Layout::kSmall).bytes;
}

std::string UpperHex(std::uint32_t value) {
  std::ostringstream text;
  text << std::uppercase << std::hex << std::setw(8) << std::setfill('0') << value;
  return text.str();
}

// The hash of an output file, computed the way any tool does.
struct ExpectedHash {
  std::string words;
  std::string crc;
};

ExpectedHash HashOf(const ByteBuffer& output) {
  const auto crc =
      static_cast<std::uint32_t>(crc32(0L, output.data(), static_cast<uInt>(output.size())));
  return {GameHashWords(crc), UpperHex(crc)};
}

std::string HashLineOf(const ByteBuffer& output) {
  const ExpectedHash hash = HashOf(output);
  return "INFO Game hash [" + hash.words + "] (CRC-32 " + hash.crc + ")";
}

std::vector<std::string> LastLines(const std::vector<std::string>& log, std::size_t count) {
  return {log.end() - static_cast<std::ptrdiff_t>(std::min(count, log.size())), log.end()};
}

TEST(ShareCode, ARunsCodeInTheConfigurationMakesTheSameImage) {
  ImageRunner image(SmallImage());
  const RunResult byClock = image.Run(777, "AddNemesis=0\n");
  const std::string code = "R" + kRelease + "-777-111011";
  ASSERT_FALSE(byClock.output.empty());
  const std::string hashLine = HashLineOf(byClock.output);
  EXPECT_EQ(LastLines(byClock.log, 4),
            (std::vector<std::string>{"INFO Randomised with seed [777]",
                                      "INFO Share code [" + code + "]", hashLine, kSuccess}));
  ASSERT_TRUE(byClock.spoiler);
  const ExpectedHash hash = HashOf(byClock.output);
  EXPECT_NE(byClock.spoiler->find("\nSeed: 777\nShare code: " + code + "\nGame hash: " +
                                  hash.words + " (CRC-32 " + hash.crc + ")\nInput image: "),
            std::string::npos);

  // Seed and the switches say otherwise, or nothing valid: the code wins.
  const RunResult byCode = image.Run(
      123,
      "Seed=99\nAddNemesis=1\nRandomiseKeys=bad\nRandomiseCubaBody=0\nShareCode=" + code + "\n");
  EXPECT_TRUE(byCode.output == byClock.output);
  EXPECT_EQ(byCode.rdb, byClock.rdb);
  EXPECT_EQ(byCode.spoiler, byClock.spoiler);
  const std::string usingCode =
      "INFO LoadInROM(): Using share code [" + code + "] from config file";
  std::vector<std::string> withoutUsingLine = byCode.log;
  const auto usingLine = std::find(withoutUsingLine.begin(), withoutUsingLine.end(), usingCode);
  ASSERT_NE(usingLine, withoutUsingLine.end());
  withoutUsingLine.erase(usingLine);
  EXPECT_EQ(withoutUsingLine, byClock.log);
  EXPECT_NE(byCode.config.find("ShareCode=" + code + "\n"), std::string::npos);
}

TEST(ShareCode, TheCodeOfAnotherReleaseIsRefusedBeforeTheFirstStep) {
  ImageRunner image(SmallImage());
  const std::string code = "R" + std::to_string(VELMO_RELEASE_NUMBER + 1) + "-777-111111";
  const RunResult run = image.Run(55, "ShareCode=" + code + "\n");
  EXPECT_TRUE(run.output.empty());
  ASSERT_GE(run.log.size(), 3u);
  EXPECT_EQ(run.log[run.log.size() - 3], "ERROR ShareCode [" + code + "] was made by release " +
                                             std::to_string(VELMO_RELEASE_NUMBER + 1) +
                                             "; this Velmo is release " + kRelease +
                                             " and would make a different game");
  EXPECT_EQ(run.log.back(), "ERROR Error provoking seed was 55");
  EXPECT_FALSE(run.spoiler);
}

TEST(GameHash, IsTheSameForTheByteSwappedFormOfTheImage) {
  ImageRunner bigEndian(SmallImage());
  const RunResult z64 = bigEndian.Run(4242, "ConvertByteOrder=1\n");
  ByteBuffer swapped = SmallImage();
  for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  ImageRunner byteSwapped(swapped, "goldeneye.v64");
  const RunResult v64 = byteSwapped.Run(4242, "ConvertByteOrder=1\n");
  ASSERT_EQ(v64.log.back(), kSuccess);
  ASSERT_GE(v64.log.size(), 2u);
  EXPECT_EQ(v64.log[v64.log.size() - 2], HashLineOf(z64.output));
  EXPECT_EQ(v64.log[v64.log.size() - 2], z64.log[z64.log.size() - 2]);
}

}  // namespace
}  // namespace velmo
