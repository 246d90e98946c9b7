#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_builder/image_builder.h"
#include "level/goldeneye_level.h"
#include "level_model_fixture.h"
#include "support/image_inspector.h"

namespace velmo {
namespace {

using testing::SetupView;

// What parsing and writing back an unchanged model may do to a setup file:
// guard flag bytes lose bits 4 to 7, a weapon's byte 8 other than 00 or 10
// becomes 10, and a starting weapon with a second weapon is rewritten in its
// bytes 7 to 11. Every other byte must come back as it was. The expectation
// is worked out from the inspector's own walk of the file.
ByteBuffer WithNormalisations(const ByteBuffer& original, const SetupView& setup,
                              std::vector<bool>& mayDiffer) {
  ByteBuffer expected = original;
  mayDiffer.assign(original.size(), false);
  for (const testing::GuardView& guard : setup.guards) {
    expected[guard.offset + 21] = guard.flags & 0x0F;
  }
  for (const testing::WeaponView& weapon : setup.weapons) {
    if (weapon.byte8 != 0x00 && weapon.byte8 != 0x10) expected[weapon.offset + 8] = 0x10;
  }
  for (const testing::StartWeaponView& start : setup.startWeapons) {
    if (start.secondField == 0xFFFFFFFF) continue;
    for (std::uint32_t i = 7; i <= 11; ++i) mayDiffer[start.offset + i] = true;
  }
  return expected;
}

class SyntheticRoundTrip : public testing::LevelModelTest {
 protected:
  // Returns how many bytes the normalisations changed, over all levels.
  std::size_t CheckEveryLevel(const image_builder::ImageOptions& options) {
    std::size_t normalised = 0;
    const ByteBuffer image = image_builder::BuildImage(options).bytes;
    const testing::ImageView view = testing::InspectImage(image);
    EXPECT_EQ(view.setups.size(), 21u);
    for (const testing::SetupFileView& file : view.setups) {
      if (!file.catalogue || !file.block.complete) {
        ADD_FAILURE() << "setup entry of asset " << file.entry.assetId << " is unreadable";
        continue;
      }
      SCOPED_TRACE(GetLevelName(file.catalogue->levelId));
      const ByteBuffer& original = file.block.data;
      Parse(original, file.catalogue->levelId).WriteBackToSetup();
      const ByteBuffer& written = model->setupData;
      EXPECT_EQ(written.size(), original.size());
      if (written.size() != original.size()) continue;

      std::vector<bool> mayDiffer;
      const ByteBuffer expected = WithNormalisations(original, file.setup, mayDiffer);
      for (std::size_t i = 0; i < original.size(); ++i) normalised += expected[i] != original[i];
      std::size_t mismatches = 0;
      for (std::size_t i = 0; i < written.size(); ++i) {
        if (!mayDiffer[i] && written[i] != expected[i] && ++mismatches <= 5) {
          ADD_FAILURE() << "byte " << i << " is " << int(written[i]) << ", expected "
                        << int(expected[i]);
        }
      }
      EXPECT_EQ(mismatches, 0u);
      // The model found what the inspector found.
      EXPECT_EQ(model->guards.size(), file.setup.guards.size());
      EXPECT_EQ(model->weapons.size(), file.setup.weapons.size());
      EXPECT_EQ(model->keys.size(), file.setup.keys.size());
      EXPECT_EQ(model->startWeapons.size(), file.setup.startWeapons.size());
    }
    return normalised;
  }
};

TEST_F(SyntheticRoundTrip, SmallImagesOfSeveralSeedsComeBackButForTheNormalisations) {
  for (std::uint64_t seed : {3u, 8u, 21u}) {
    SCOPED_TRACE("content seed " + std::to_string(seed));
    image_builder::ImageOptions options;
    options.layout = image_builder::Layout::kSmall;
    options.contentSeed = seed;
    CheckEveryLevel(options);
  }
}

TEST_F(SyntheticRoundTrip, RealisticImageComesBackButForTheNormalisations) {
  image_builder::ImageOptions options;
  options.contentSeed = 12;
  // The generated guards and weapons include ones the write-back normalises.
  EXPECT_GT(CheckEveryLevel(options), 0u);
}

}  // namespace
}  // namespace velmo
