#include "assets/table_write_back.h"

#include <gtest/gtest.h>

#include "assets/file_table_layout.h"
#include "harness/recording_console.h"
#include "randomise/random_source.h"
#include "support/codec.h"

namespace velmo {
namespace {

using testing::RecordingConsole;

TEST(TableWriteBack, RatioTextHasSixDecimals) {
  EXPECT_EQ(BlockSizeRatioText(72703), "100.000000");
  EXPECT_EQ(BlockSizeRatioText(72704), "100.001375");
  EXPECT_EQ(BlockSizeRatioText(50000), "68.772953");
}

TEST(TableWriteBack, WritesTheBlockAndClearsTheSpaceBehindIt) {
  // Two bits of noise a byte: compresses to about a third, like the real table.
  ByteBuffer table(0x27600);
  ClassicRandom random(3);
  for (auto& byte : table) byte = static_cast<std::uint8_t>(random.Draw() & 3);
  ByteBuffer image(0x40000, 0xAB);
  RecordingConsole console;
  WrittenTableBlock written;
  ASSERT_TRUE(WriteUpdated21990(image, table, written));

  ByteBuffer block;
  CompressData(table, block, 3);
  EXPECT_EQ(written.block, block);
  EXPECT_EQ(written.table, table);
  ASSERT_LT(block.size(), k21990BlockSpace);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), image.begin() + k21990BlockOffset));
  EXPECT_TRUE(std::all_of(image.begin() + k21990BlockOffset + block.size(),
                          image.begin() + k21990BlockOffset + k21990BlockSpace,
                          [](auto b) { return b == 0; }));
  EXPECT_EQ(image[k21990BlockOffset - 1], 0xAB);
  EXPECT_EQ(image[k21990BlockOffset + k21990BlockSpace], 0xAB);
  EXPECT_EQ(console.Text(), "SUCCESS WriteUpdated21990(): Updated 21990 block, new block is [" +
                                BlockSizeRatioText(block.size()) + "%] of the size\n");
}

TEST(TableWriteBack, BlockThatWouldNotInflateBackIsNotWritten) {
  // Beyond twenty times its compressed size a block cannot be read back.
  const ByteBuffer table(0x27600, 0);
  ByteBuffer image(0x40000, 0xAB);
  const ByteBuffer before = image;
  RecordingConsole console;
  WrittenTableBlock written{{1}, {2}};
  EXPECT_FALSE(WriteUpdated21990(image, table, written));
  EXPECT_EQ(image, before);
  EXPECT_TRUE(written.block.empty() && written.table.empty());
  EXPECT_EQ(
      console.LinesStartingWith("ERROR "),
      std::vector<std::string>{
          "ERROR WriteUpdated21990(): New compressed block is incomplete and won't be written!"});
}

TEST(TableWriteBack, BlockTooLargeLeavesTheOldOne) {
  ByteBuffer table(100000);
  ClassicRandom random(7);
  for (auto& byte : table) byte = static_cast<std::uint8_t>(random.Draw() >> 3);
  ByteBuffer image(0x40000, 0xAB);
  const ByteBuffer before = image;
  RecordingConsole console;
  WrittenTableBlock written;
  EXPECT_FALSE(WriteUpdated21990(image, table, written));
  EXPECT_EQ(image, before);
  const auto lines = console.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("ERROR WriteUpdated21990(): New compressed block is larger [1", 0), 0u);
  EXPECT_NE(lines[0].find("%] than the original and won't fit!"), std::string::npos);
}

}  // namespace
}  // namespace velmo
