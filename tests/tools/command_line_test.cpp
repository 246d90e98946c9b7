#include "image_builder/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmo::image_builder {
namespace {

ParsedCommand Parse(std::vector<std::string_view> arguments) {
  return ParseMakeImageArguments(arguments);
}

TEST(MakeImageCommandLineTest, OutputAloneGivesTheDefaultRealisticImage) {
  ParsedCommand parsed = Parse({"build/demo/goldeneye-demo.z64"});
  ASSERT_TRUE(parsed.command) << parsed.error;
  EXPECT_EQ(parsed.command->outputPath, "build/demo/goldeneye-demo.z64");
  EXPECT_EQ(parsed.command->options.contentSeed, 1u);
  EXPECT_EQ(parsed.command->options.layout, Layout::kRealistic);
  EXPECT_EQ(parsed.command->options.cic, CicVariant::k6102);
  EXPECT_EQ(parsed.command->options.fault, ImageFault::kNone);
}

TEST(MakeImageCommandLineTest, OptionsMayComeBeforeOrAfterTheOutput) {
  ParsedCommand parsed = Parse({"--seed", "0x2A", "out.z64", "--layout", "small", "--variant",
                                "truncated", "--truncate-at", "1052671", "--cic", "unknown"});
  ASSERT_TRUE(parsed.command) << parsed.error;
  EXPECT_EQ(parsed.command->outputPath, "out.z64");
  EXPECT_EQ(parsed.command->options.contentSeed, 42u);
  EXPECT_EQ(parsed.command->options.layout, Layout::kSmall);
  EXPECT_EQ(parsed.command->options.fault, ImageFault::kTruncated);
  EXPECT_EQ(parsed.command->options.truncatedLength, 0x100FFFu);
  EXPECT_EQ(parsed.command->options.cic, CicVariant::kUnknown);
}

TEST(MakeImageCommandLineTest, EveryVariantAndChipIsNamedOnTheCommandLine) {
  for (ImageFault fault : kAllFaults) {
    ParsedCommand parsed = Parse({"out.z64", "--variant", FaultName(fault)});
    ASSERT_TRUE(parsed.command) << parsed.error;
    EXPECT_EQ(parsed.command->options.fault, fault);
  }
  for (CicVariant cic : kAllCicVariants) {
    ParsedCommand parsed = Parse({"out.z64", "--cic", CicName(cic)});
    ASSERT_TRUE(parsed.command) << parsed.error;
    EXPECT_EQ(parsed.command->options.cic, cic);
  }
  EXPECT_NE(MakeImageUsage().find("table-overflows-on-rewrite"), std::string::npos);
}

TEST(MakeImageCommandLineTest, RegionIsNorthAmericaUnlessNamed) {
  EXPECT_EQ(Parse({"out.z64"}).command->options.region, &region::kNorthAmerica);
  for (auto [name, region] :
       {std::pair{"na", &region::kNorthAmerica}, std::pair{"pal", &region::kEurope},
        std::pair{"jp", &region::kJapan}}) {
    ParsedCommand parsed = Parse({"out.z64", "--region", name});
    ASSERT_TRUE(parsed.command) << parsed.error;
    EXPECT_EQ(parsed.command->options.region, region);
  }
  EXPECT_EQ(Parse({"a.z64", "--region", "eu"}).error, "unknown region: eu (na, pal or jp)");
  EXPECT_EQ(Parse({"a.z64", "--region", "PAL"}).error, "unknown region: PAL (na, pal or jp)");
  EXPECT_EQ(
      Parse({"a.z64", "--region", "jp", "--variant", "truncated"}).error,
      "variants are made in North American images only: --variant truncated with --region jp");
  EXPECT_TRUE(Parse({"a.z64", "--region", "na", "--variant", "truncated"}).command);
}

TEST(MakeImageCommandLineTest, MistakesAreRefusedWithTheReason) {
  EXPECT_EQ(Parse({}).error, "no output path");
  EXPECT_EQ(Parse({"a.z64", "b.z64"}).error, "more than one output path");
  EXPECT_EQ(Parse({"a.z64", "--seed"}).error, "missing value for --seed");
  EXPECT_EQ(Parse({"a.z64", "--seed", "12x"}).error, "not a number for --seed: 12x");
  EXPECT_EQ(Parse({"a.z64", "--seed", "-1"}).error, "not a number for --seed: -1");
  EXPECT_EQ(Parse({"a.z64", "--layout", "huge"}).error, "unknown layout: huge");
  EXPECT_EQ(Parse({"a.z64", "--variant", "swapped"}).error, "unknown variant: swapped");
  EXPECT_EQ(Parse({"a.z64", "--cic", "6104"}).error, "unknown CIC variant: 6104");
  EXPECT_EQ(Parse({"a.z64", "--truncate-at", "0x100000000"}).error,
            "not a length for --truncate-at: 0x100000000");
  EXPECT_EQ(Parse({"a.z64", "--size", "3"}).error, "unknown option: --size");
  EXPECT_FALSE(Parse({"a.z64", "--size", "3"}).command);
}

}  // namespace
}  // namespace velmo::image_builder
