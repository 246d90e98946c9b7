#include "rom/share_code.h"

#include <gtest/gtest.h>

namespace velmo {
namespace {

constexpr std::uint16_t kRelease = 3;
const std::string kNotACode = "] is not a share code: R<release>-<seed>-<six digits 0 or 1>";

TEST(ShareCode, FormatsAndReadsBackEveryPart) {
  RandomiserSwitches switches;
  switches.guardTypes = false;
  switches.cubaBody = false;
  const std::string text = FormatShareCode({kRelease, 4294967295u, switches});
  EXPECT_EQ(text, "R3-4294967295-101110");
  const ShareCodeReading reading = ReadShareCode(text, kRelease);
  ASSERT_TRUE(reading.code) << reading.refusal;
  EXPECT_EQ(reading.refusal, "");
  EXPECT_EQ(reading.code->seed, 4294967295u);
  EXPECT_EQ(reading.code->releaseNumber, kRelease);
  EXPECT_EQ(FormatShareCode(*reading.code), text);
  EXPECT_EQ(FormatShareCode({kRelease, 0, RandomiserSwitches{}}), "R3-0-111111");
  EXPECT_TRUE(ReadShareCode("R3-0-000000", kRelease).code);
}

TEST(ShareCode, RefusesEveryOtherTextWithItsLine) {
  const char* const kBadCodes[] = {
      "",
      "R",
      "R3",
      "R3-",
      "R3--111111",
      "R-5-111111",
      "R3-5-",
      "R3-5",
      "R3-5-111111-",
      "R3-5-111111-1",
      "r3-5-111111",
      " R3-5-111111",
      "R3-5-111111 ",
      "R3- 5-111111",
      "R3-+5-111111",
      "R3--5-111111",
      "R+3-5-111111",
      "R03-5-111111",
      "R3-05-111111",
      "R3-5a-111111",
      "R3-x-111111",
      "R3-4294967296-111111",
      "R3-99999999999999999999-111111",
      "R65536-5-111111",
      "R3-5-11111",
      "R3-5-1111111",
      "R3-5-111121",
      "R3-5-11111a",
      "R3_5_111111",
  };
  for (const char* code : kBadCodes) {
    const ShareCodeReading reading = ReadShareCode(code, kRelease);
    EXPECT_FALSE(reading.code) << "[" << code << "]";
    EXPECT_EQ(reading.refusal, "ShareCode [" + std::string(code) + kNotACode);
  }
}

TEST(ShareCode, RefusesTheCodeOfAnotherRelease) {
  for (const auto& [code, release] :
       {std::pair{"R2-1765173600-111111", 2}, std::pair{"R0-5-000000", 0},
        std::pair{"R65535-5-111111", 65535}, std::pair{"R30-5-111111", 30}}) {
    const ShareCodeReading reading = ReadShareCode(code, kRelease);
    EXPECT_FALSE(reading.code) << code;
    EXPECT_EQ(reading.refusal, "ShareCode [" + std::string(code) + "] was made by release " +
                                   std::to_string(release) +
                                   "; this Velmo is release 3 and would make a different game");
  }
}

}  // namespace
}  // namespace velmo
