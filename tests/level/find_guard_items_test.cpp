#include <gtest/gtest.h>

#include "level/goldeneye_level.h"
#include "level_model_fixture.h"
#include "setup_bytes.h"

namespace velmo {
namespace {

using testing::AttachmentRecord;
using testing::EndOfIntro;
using testing::EndOfObjects;
using testing::GuardRecord;
using testing::SetupFile;
using testing::WeaponRecord;

class FindGuardItemsTest : public testing::LevelModelTest {
 protected:
  void SetUp() override {
    SetupFile file;
    file.Intro(EndOfIntro())
        .Object(WeaponRecord(0x10, 255, 0, 1))  // lying in the level
        .Object(GuardRecord(4, 1, 0))
        .Object(WeaponRecord(0x11, 4, 0, 2))
        .Object(GuardRecord(4, 2, 0))  // a second guard with the same ID
        .Object(WeaponRecord(0x12, 4, 0, 3))
        .Object(AttachmentRecord(0x20, 6))  // held by an ID no guard has
        .Object(WeaponRecord(0x13, 6, 0, 4))
        .Object(AttachmentRecord(0x21, 4))
        .Object(AttachmentRecord(0x22, 255))
        .Object(EndOfObjects());
    Parse(file.Build());
  }
};

TEST_F(FindGuardItemsTest, GivesTheFirstGuardWeaponAndAttachmentForTheId) {
  const GuardItems items = model->FindGuardItems(4);
  EXPECT_EQ(items.guard, &model->guards[0]);
  EXPECT_EQ(items.weapon, &model->weapons[1]);
  EXPECT_EQ(items.attachment, &model->attachments[1]);
}

TEST_F(FindGuardItemsTest, IdThatNoGuardHasStillFindsItsWeaponAndAttachment) {
  const GuardItems items = model->FindGuardItems(6);
  EXPECT_EQ(items.guard, nullptr);
  EXPECT_EQ(items.weapon, &model->weapons[3]);
  EXPECT_EQ(items.attachment, &model->attachments[0]);
}

TEST_F(FindGuardItemsTest, Id255FindsTheItemsNobodyHolds) {
  const GuardItems items = model->FindGuardItems(255);
  EXPECT_EQ(items.guard, nullptr);
  EXPECT_EQ(items.weapon, &model->weapons[0]);
  EXPECT_EQ(items.attachment, &model->attachments[2]);
}

TEST_F(FindGuardItemsTest, UnknownIdFindsNothing) {
  const GuardItems items = model->FindGuardItems(5);
  EXPECT_EQ(items.guard, nullptr);
  EXPECT_EQ(items.weapon, nullptr);
  EXPECT_EQ(items.attachment, nullptr);
}

}  // namespace
}  // namespace velmo
