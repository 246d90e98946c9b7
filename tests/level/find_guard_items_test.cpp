#include <gtest/gtest.h>

#include <vector>

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

// A weapon record on a pad keeps the pad's number where a held one names its
// holder, so a gadget (Facility's door decoder, item 38) on pad 47 names guard
// 47. Only firearms, up to the rocket launcher (25), are a guard's weapon.
TEST_F(FindGuardItemsTest, OnlyAFirearmIsTheGuardsWeapon) {
  struct Row {
    const char* what;
    std::vector<ByteBuffer> objects;  // guard 47 among them
    int expectedWeapon;               // index in the model's weapons, -1: none
  };
  const Row rows[] = {
      {"decoder before the guard and his own gun",
       {WeaponRecord(0x50, 47, 0x01, 38), GuardRecord(47, 1, 0), WeaponRecord(0x11, 47, 0, 5)},
       1},
      {"decoder alone", {GuardRecord(47, 1, 0), WeaponRecord(0x50, 47, 0x01, 38)}, -1},
      {"rocket launcher", {GuardRecord(47, 1, 0), WeaponRecord(0x12, 47, 0, 25)}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetupFile file;
    file.Intro(EndOfIntro());
    for (const ByteBuffer& object : row.objects) file.Object(object);
    GoldeneyeLevel& level = Parse(file.Object(EndOfObjects()).Build());
    const GuardItems items = level.FindGuardItems(47);
    EXPECT_EQ(items.guard, &level.guards[0]);
    EXPECT_EQ(items.weapon, row.expectedWeapon < 0 ? nullptr : &level.weapons[row.expectedWeapon]);
  }
}

}  // namespace
}  // namespace velmo
