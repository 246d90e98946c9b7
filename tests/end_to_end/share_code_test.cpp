// Players racing the same game: a run's share code makes that game again,
// and its game hash is the CRC-32 any tool computes of the output file.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "harness/dump_forms.h"
#include "harness/image_runner.h"
#include "rom/game_hash.h"
#include "support/number_text.h"
#include "tools/built_images.h"

namespace velmo {
namespace {

using testing::ImageRunner;
using testing::RunResult;

const ByteBuffer& SmallImage() {
  return testing::CachedImage(image_builder::Layout::kSmall).bytes;
}

// The words and the CRC text, from zlib's CRC-32 of the output file.
std::pair<std::string, std::string> HashOf(const ByteBuffer& output) {
  const auto crc =
      static_cast<std::uint32_t>(crc32(0L, output.data(), static_cast<uInt>(output.size())));
  return {GameHashWords(crc), ToUpperHexText(crc)};
}

TEST(ShareCode, ARunsCodeMakesItsImageAgainAndItsHashIsTheFilesCrc32) {
  ImageRunner image(SmallImage());
  const RunResult byClock = image.Run(777, "AddNemesis=0\n");
  const std::string code = "R" + std::to_string(testing::ReleaseOfInProcessRuns()) + "-777-111011";
  const auto [words, crc] = HashOf(byClock.output);
  ASSERT_GE(byClock.log.size(), 4u);
  const std::vector<std::string> tail(byClock.log.end() - 4, byClock.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"INFO Randomised with seed [777]",
                                            "INFO Share code [" + code + "]",
                                            "INFO Game hash [" + words + "] (CRC-32 " + crc + ")",
                                            "SUCCESS ROM has been successfully randomised :)"}));
  ASSERT_TRUE(byClock.spoiler);
  EXPECT_NE(byClock.spoiler->find("\nSeed: 777\nShare code: " + code + "\nGame hash: " + words +
                                  " (CRC-32 " + crc + ")\nInput image: "),
            std::string::npos);

  // Seed and the switches say otherwise, or nothing valid: the code wins.
  const RunResult byCode = image.Run(
      123,
      "Seed=99\nAddNemesis=1\nRandomiseKeys=bad\nRandomiseCubaBody=0\nShareCode=" + code + "\n");
  EXPECT_TRUE(byCode.output == byClock.output);
  EXPECT_EQ(byCode.spoiler, byClock.spoiler);
  std::vector<std::string> expectedLog = byClock.log;
  // In the seed line's place, before the switches that are off.
  expectedLog.insert(std::find(expectedLog.begin(), expectedLog.end(),
                               "INFO LoadInROM(): Option [AddNemesis] is off, not randomising it"),
                     "INFO LoadInROM(): Using share code [" + code + "] from config file");
  EXPECT_EQ(byCode.log, expectedLog);

  // The byte-swapped dump of the same image makes the same image, so the same hash.
  ImageRunner v64(testing::ByteSwappedDump(SmallImage()), "goldeneye.v64");
  const RunResult fromV64 = v64.Run(777, "AddNemesis=0\nConvertByteOrder=1\n");
  ASSERT_GE(fromV64.log.size(), 2u);
  EXPECT_EQ(fromV64.log[fromV64.log.size() - 2], tail[2]);
}

}  // namespace
}  // namespace velmo
