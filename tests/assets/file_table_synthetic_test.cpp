#include <gtest/gtest.h>

#include "assets/file_table.h"
#include "harness/recording_console.h"
#include "image_builder/image_builder.h"

namespace velmo {
namespace {

using testing::RecordingConsole;

// The table of a generated image, read the way the pipeline reads it: the
// records must agree with what the builder says it wrote.
TEST(FileTableOfASyntheticImage, FindsEveryLevelWhereTheBuilderPutIt) {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  const image_builder::BuiltImage built = image_builder::BuildImage(options);
  RecordingConsole console;

  ByteBuffer table;
  ASSERT_TRUE(Load21990Data(built.bytes, table));
  EXPECT_EQ(table.size(), built.report.tableInflatedSize);
  std::vector<SetupFileEntry> files;
  ASSERT_TRUE(ProcessFileTable(table, built.bytes.size(), files));

  ASSERT_EQ(files.size(), 21u);
  EXPECT_EQ(files.front().levelId, level::kArchives);
  std::uint32_t total = 0;
  int levelsWithMemLevel6 = 0;
  for (std::uint32_t k = 0; k < files.size(); ++k) {
    SCOPED_TRACE(k);
    const image_builder::SetupReport& built_file = built.report.setups[k];
    EXPECT_EQ(files[k].levelId, built_file.levelId);
    EXPECT_EQ(files[k].romOffset, built_file.romOffset);
    EXPECT_EQ(files[k].availableSize, built_file.space);
    EXPECT_EQ(files[k].tablePosition, 0x26FB8u + 12 * k);
    if (files[k].memLevel == 6) {
      ++levelsWithMemLevel6;
      EXPECT_EQ(files[k].levelId, level::kTrain);
    } else {
      EXPECT_EQ(files[k].memLevel, 5);
    }
    total += files[k].availableSize;
  }
  EXPECT_EQ(levelsWithMemLevel6, 1);
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"INFO ProcessFileTable(): Finished parsing file table [" +
                                     std::to_string(total) + "] bytes available"});
}

}  // namespace
}  // namespace velmo
