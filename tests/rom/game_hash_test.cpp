#include "rom/game_hash.h"

#include <gtest/gtest.h>

#include <string_view>

namespace velmo {
namespace {

TEST(GameHash, ReadsTheTopTwentyFourBitsAsFourWords) {
  EXPECT_EQ(GameHashWords(0x1A2B3C4D), "Klobb Jaws Dam Moonraker");
  // The low byte takes no part.
  EXPECT_EQ(GameHashWords(0x1A2B3CFF), "Klobb Jaws Dam Moonraker");
  EXPECT_EQ(GameHashWords(0x00000000), "Bond Bond Bond Bond");
  EXPECT_EQ(GameHashWords(0xFFFFFFFF), "Helicopter Helicopter Helicopter Helicopter");
  EXPECT_EQ(GameHashWords(0x04000000), "Natalya Bond Bond Bond");
  EXPECT_EQ(GameHashWords(0x00000100), "Bond Bond Bond Natalya");
}

TEST(GameHash, IsZlibsCrc32OfTheWholeImage) {
  // The check value of the CRC-32 every tool computes.
  constexpr std::string_view kCheckInput = "123456789";
  const std::vector<std::uint8_t> bytes(kCheckInput.begin(), kCheckInput.end());
  const GameHash hash = ComputeGameHash(bytes);
  EXPECT_EQ(hash.crc, 0xCBF43926u);
  EXPECT_EQ(hash.crcText, "CBF43926");
  EXPECT_EQ(hash.words, GameHashWords(0xCBF43926u));
  // Leading zeros are kept: eight digits always.
  EXPECT_EQ(ComputeGameHash({}).crcText, "00000000");
}

}  // namespace
}  // namespace velmo
