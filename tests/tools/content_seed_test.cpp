#include <gtest/gtest.h>

#include "image_builder/image_builder.h"
#include "level/level_catalogue.h"
#include "tools/built_images.h"

namespace velmo::testing {
namespace {

using image_builder::Layout;

TEST(ContentSeedTest, SameSeedGivesTheSameBytes) {
  image_builder::ImageOptions options;
  options.contentSeed = 7;
  options.layout = Layout::kSmall;
  EXPECT_TRUE(image_builder::BuildImage(options).bytes == CachedImage(Layout::kSmall).bytes);
}

TEST(ContentSeedTest, OtherSeedGivesOtherButEquallyValidSetups) {
  const ImageView& first = CachedView(Layout::kSmall);
  const ImageView& second = CachedView(Layout::kSmall, image_builder::ImageFault::kNone, 8);
  ASSERT_EQ(second.setups.size(), 21u);
  for (std::size_t index = 0; index < 21; ++index) {
    SCOPED_TRACE(GetLevelName(kSetupFiles[index].levelId));
    ASSERT_TRUE(second.setups[index].block.complete);
    EXPECT_FALSE(first.setups[index].block.data == second.setups[index].block.data);
    EXPECT_EQ(second.setups[index].setup.objectProblem, "");
    EXPECT_EQ(second.setups[index].setup.introProblem, "");
  }
  EXPECT_GE(second.setups[1].setup.guards.size(), 65u);
  EXPECT_EQ(second.setups[1].setup.guards[64].bodyType, 9);
  EXPECT_FALSE(first.textPairs[5].englishText == second.textPairs[5].englishText);
}

}  // namespace
}  // namespace velmo::testing
