#include "support/logger.h"

#include <gtest/gtest.h>

#include "harness/recording_console.h"
#include "support/number_text.h"

namespace velmo {
namespace {

using testing::RecordingConsole;

TEST(Logger, EachLevelWritesItsWordInItsColourThenTheMessageInDefault) {
  RecordingConsole console;
  LogTrace("t");
  LogInfo("i");
  LogWarn("w");
  LogError("LoadInROM(): Failed to load file!");
  LogSuccess("s");
  EXPECT_EQ(console.Text(),
            "TRACE t\nINFO i\nWARN w\nERROR LoadInROM(): Failed to load file!\nSUCCESS s\n");
  const auto& pieces = console.Pieces();
  // INFO's grey word runs on from the grey text before it.
  ASSERT_EQ(pieces.size(), 8u);
  EXPECT_EQ(pieces[0].attribute, kColourMagenta);
  EXPECT_EQ(pieces[0].text, "TRACE ");
  EXPECT_EQ(pieces[1].attribute, kColourDefault);
  EXPECT_EQ(pieces[1].text, "t\nINFO i\n");
  EXPECT_EQ(pieces[2].attribute, kColourYellow);
  EXPECT_EQ(pieces[4].attribute, kColourRed);
  EXPECT_EQ(pieces[4].text, "ERROR ");
  EXPECT_EQ(pieces[5].text, "LoadInROM(): Failed to load file!\n");
  EXPECT_EQ(pieces[6].attribute, kColourGreen);
  EXPECT_EQ(console.CurrentAttribute(), kColourDefault);
}

TEST(Logger, EmptyMessageAndEmbeddedLineFeed) {
  RecordingConsole console;
  LogWarn("");
  LogInfo("two\nlines");
  EXPECT_EQ(console.Text(), "WARN \nINFO two\nlines\n");
}

TEST(Logger, WriteColouredRestoresTheDefault) {
  RecordingConsole console;
  WriteColoured("value", kColourWhite);
  ASSERT_EQ(console.Pieces().size(), 1u);
  EXPECT_EQ(console.Pieces()[0].attribute, kColourWhite);
  EXPECT_EQ(console.AttributeChanges(), (std::vector<std::uint16_t>{kColourWhite, kColourDefault}));
}

TEST(NumberText, DecimalAndHex) {
  EXPECT_EQ(DecimalText(std::uint32_t{4294967295u}), "4294967295");
  EXPECT_EQ(DecimalText(std::int32_t{-42}), "-42");
  EXPECT_EQ(DecimalText(std::int32_t{0}), "0");
  EXPECT_EQ(ToHexText(0), "00000000");
  EXPECT_EQ(ToHexText(0x2A), "0000002a");
  EXPECT_EQ(ToHexText(0xFFFFFFFF), "ffffffff");
  EXPECT_EQ(ToHexText(0x8E7410), "008e7410");
}

}  // namespace
}  // namespace velmo
