#include "rom/game_hash.h"

#include <gtest/gtest.h>

namespace velmo {
namespace {

TEST(GameHash, IsZlibsCrc32ReadAsFourWords) {
  EXPECT_EQ(GameHashWords(0x1A2B3C4D), "Klobb Jaws Dam Moonraker");
  EXPECT_EQ(GameHashWords(0x040001FF), "Natalya Bond Bond Natalya");
  // The check value every CRC-32 tool gives for "123456789".
  const std::vector<std::uint8_t> check{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  const GameHash hash = ComputeGameHash(check);
  EXPECT_EQ(hash.crcText, "CBF43926");
  EXPECT_EQ(hash.words, GameHashWords(0xCBF43926u));
  EXPECT_EQ(ComputeGameHash({}).crcText, "00000000");
}

}  // namespace
}  // namespace velmo
