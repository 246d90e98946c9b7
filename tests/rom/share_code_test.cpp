#include "rom/share_code.h"

#include <gtest/gtest.h>

namespace velmo {
namespace {

TEST(ShareCode, FormatsAndReadsBackEveryPart) {
  RandomiserSwitches switches;
  switches.guardTypes = switches.cubaBody = false;
  const std::string text = FormatShareCode({3, 4294967295u, switches});
  EXPECT_EQ(text, "R3-4294967295-101110");
  const ShareCodeReading reading = ReadShareCode(text, 3);
  ASSERT_TRUE(reading.code);
  EXPECT_EQ(reading.refusal, "");
  EXPECT_EQ(FormatShareCode(*reading.code), text);
  EXPECT_EQ(FormatShareCode(*ReadShareCode("R3-0-000000", 3).code), "R3-0-000000");
}

TEST(ShareCode, RefusesEveryOtherTextWithItsLine) {
  for (const char* code : {"",
                           "R",
                           "R3-5",
                           "R3--111111",
                           "R-5-111111",
                           "R3-5-",
                           "R3-5-111111-1",
                           "r3-5-111111",
                           " R3-5-111111",
                           "R3-5-111111 ",
                           "R3-+5-111111",
                           "R+3-5-111111",
                           "R03-5-111111",
                           "R3-05-111111",
                           "R3-5a-111111",
                           "R3-4294967296-111111",
                           "R65536-5-111111",
                           "R3-5-11111",
                           "R3-5-1111111",
                           "R3-5-111121",
                           "R3_5_111111"}) {
    const ShareCodeReading reading = ReadShareCode(code, 3);
    EXPECT_FALSE(reading.code) << code;
    EXPECT_EQ(reading.refusal, "ShareCode [" + std::string(code) +
                                   "] is not a share code: R<release>-<seed>-<six digits 0 or 1>");
  }
  const ShareCodeReading other = ReadShareCode("R2-1765173600-111111", 3);
  EXPECT_FALSE(other.code);
  EXPECT_EQ(other.refusal,
            "ShareCode [R2-1765173600-111111] was made by release 2; this Velmo is release 3 and "
            "would make a different game");
}

}  // namespace
}  // namespace velmo
