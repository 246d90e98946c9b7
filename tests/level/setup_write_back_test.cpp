#include <gtest/gtest.h>

#include <string>
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
using testing::KeyRecord;
using testing::PropRecord;
using testing::Record;
using testing::SetupFile;
using testing::StartAmmoRecord;
using testing::StartWeaponRecord;
using testing::VariableRecord;
using testing::WeaponRecord;

class WriteBackTest : public testing::LevelModelTest {
 protected:
  // Parses the bytes and writes the model straight back.
  ByteBuffer RoundTrip(const ByteBuffer& bytes) {
    Parse(bytes).WriteBackToSetup();
    return model->setupData;
  }
};

// A file with every kind of kept record, none of which needs normalising,
// with skipped records and a block between them.
SetupFile CleanFile() {
  SetupFile file;
  file.Intro(StartWeaponRecord(0x11, 0xFFFFFFFF, 0x00))
      .Intro(Record(0x03, 32))
      .Intro(StartAmmoRecord(0x0C, 0x64, 0x00))
      .Intro(EndOfIntro())
      .Object(PropRecord(0x51))
      .Object(GuardRecord(7, 0x1C, 0x0F))
      .Object(VariableRecord(0x22, 0x2E))
      .Object(WeaponRecord(0x73, 7, 0x00, 0x14))
      .Object(WeaponRecord(0x74, 255, 0x10, 0x15))
      .Object(Record(0x17, 8))
      .Object(GuardRecord(99, 0x1C, 0xFF))
      .Object(Record(0x18, 4))  // the block's end
      .Object(AttachmentRecord(0x84, 7))
      .Object(KeyRecord(0x62, 7))
      .Object(EndOfObjects());
  return file;
}

TEST_F(WriteBackTest, CleanFileComesBackByteForByte) {
  const ByteBuffer original = CleanFile().Build();
  EXPECT_EQ(RoundTrip(original), original);
  EXPECT_EQ(console.Text(), "");
  ASSERT_EQ(model->guards.size(), 1u);  // the guard inside the block was left alone
  EXPECT_EQ(model->weapons.size(), 2u);
  EXPECT_EQ(model->startWeapons.size(), 1u);
}

// Byte 8 of a weapon is the top byte of its flags word (0x01 on gadgets, 0x40
// empty, 0x80 a dual wielder's second gun, 0x10 left hand) and the high half
// of a guard's byte 21 holds setup flags: both come back as they were. Only a
// starting weapon's second field is rewritten in its canonical form.
TEST_F(WriteBackTest, NoChangeAltersOnlyStartingWeaponSecondFields) {
  SetupFile file;
  file.Intro(StartWeaponRecord(0x11, 0x00000021, 0x00))  // second field present
      .Intro(StartWeaponRecord(0x12, 0x123456FF, 0x01))  // byte 11 FF, the rest not
      .Intro(StartWeaponRecord(0x13, 0xFFFFFFFF, 0x02))
      .Intro(EndOfIntro())
      .Object(GuardRecord(1, 0x1C, 0xF5))
      .Object(GuardRecord(2, 0x1C, 0x3A))
      .Object(WeaponRecord(0x73, 1, 0x01, 0x26))
      .Object(WeaponRecord(0x74, 2, 0x40, 0x15))
      .Object(WeaponRecord(0x75, 2, 0x80, 0x16))
      .Object(WeaponRecord(0x76, 1, 0x90, 0x05))
      .Object(WeaponRecord(0x77, 1, 0x37, 0x05))
      .Object(EndOfObjects());
  const ByteBuffer original = file.Build();

  ByteBuffer expected = original;
  auto set = [&expected](std::uint32_t at, ByteBuffer bytes) {
    std::copy(bytes.begin(), bytes.end(), expected.begin() + at);
  };
  set(file.IntroOffset(0) + 7, {0x21, 0xFF, 0xFF, 0xFF, 0xFF});
  set(file.IntroOffset(1) + 8, {0xFF, 0xFF, 0xFF});
  EXPECT_EQ(RoundTrip(original), expected);
  EXPECT_EQ(console.Text(), "");

  // A drawn hand is written as 0x00 or 0x10; changed flag bits keep the high half.
  model->guards[0].flagBit0 = false;
  model->guards[1].flagBit0 = true;
  model->weapons[2].byte8Drawn = true;
  model->weapons[3].byte8Drawn = true;
  model->weapons[3].byte8Clear = true;
  model->WriteBackToSetup();
  set(file.ObjectOffset(0) + 21, {0xF4});
  set(file.ObjectOffset(1) + 21, {0x3B});
  set(file.ObjectOffset(4) + 8, {0x10});
  set(file.ObjectOffset(5) + 8, {0x00});
  EXPECT_EQ(model->setupData, expected);
}

TEST_F(WriteBackTest, ChangedFieldsLandInTheirBytesTruncatedToEightBits) {
  const SetupFile file = CleanFile();
  const ByteBuffer original = file.Build();
  GoldeneyeLevel& level = Parse(original);

  level.startWeapons[0].weaponId = 0x1A;
  level.startWeapons[0].secondWeaponId = 0x1B;
  level.startWeapons[0].set = 0x103;
  level.startAmmo[0].ammoType = 0x20D;
  level.startAmmo[0].amount = 0x1FF;
  level.startAmmo[0].set = 0x04;
  GuardEntry& guard = level.guards[0];
  guard.bodyType = 0x123;
  guard.flagBit0 = false;
  guard.flagBit2 = false;
  guard.guardId = 0x31;
  guard.byte10 = 0x0A;
  guard.byte11 = 0x0B;
  level.weapons[0].modelId = 0x1C8;
  level.weapons[0].weaponId = 0x1D;
  level.weapons[0].byte8Clear = false;
  level.weapons[0].byte8Drawn = true;
  level.weapons[0].holderId = 0x31;
  level.weapons[1].byte8Clear = true;
  level.weapons[1].byte8Drawn = true;
  level.attachments[0].modelId = 0x1E;
  level.attachments[0].holderId = 0x32;
  level.props[0].modelId = 0x1F;
  level.keys[0].modelId = 0x2F0;
  level.keys[0].holderId = 0x131;
  level.WriteBackToSetup();

  ByteBuffer expected = original;
  auto set = [&expected](std::uint32_t at, std::uint8_t value) { expected.at(at) = value; };
  // Start weapon: bytes 4 to 6 and 12 to 14 stay as they were.
  set(file.IntroOffset(0) + 7, 0x1A);
  set(file.IntroOffset(0) + 8, 0x00);
  set(file.IntroOffset(0) + 9, 0x00);
  set(file.IntroOffset(0) + 10, 0x00);
  set(file.IntroOffset(0) + 11, 0x1B);
  set(file.IntroOffset(0) + 15, 0x03);
  set(file.IntroOffset(2) + 7, 0x0D);
  set(file.IntroOffset(2) + 11, 0xFF);
  set(file.IntroOffset(2) + 15, 0x04);
  set(file.ObjectOffset(0) + 5, 0x1F);
  set(file.ObjectOffset(1) + 5, 0x31);
  set(file.ObjectOffset(1) + 9, 0x23);
  set(file.ObjectOffset(1) + 10, 0x0A);
  set(file.ObjectOffset(1) + 11, 0x0B);
  set(file.ObjectOffset(1) + 21, 0x0A);
  set(file.ObjectOffset(3) + 5, 0xC8);
  set(file.ObjectOffset(3) + 7, 0x31);
  set(file.ObjectOffset(3) + 8, 0x10);
  set(file.ObjectOffset(3) + 128, 0x1D);
  set(file.ObjectOffset(4) + 8, 0x00);
  set(file.ObjectOffset(8) + 5, 0x1E);
  set(file.ObjectOffset(8) + 7, 0x32);
  set(file.ObjectOffset(9) + 5, 0xF0);
  set(file.ObjectOffset(9) + 7, 0x31);
  EXPECT_EQ(level.setupData, expected);
  EXPECT_EQ(console.Text(), "");
}

// Entries that share a byte show the order of the write-back: start weapons,
// start ammunition, guards, weapons, attachments, props, keys; the last wins.
TEST_F(WriteBackTest, EntriesAreWrittenInTheFixedOrder) {
  constexpr std::uint32_t kShared = 200;
  for (int kinds = 1; kinds <= 7; ++kinds) {
    SCOPED_TRACE(::testing::Message() << kinds << " kinds of entry");
    GoldeneyeLevel& level = Model(ByteBuffer(400, 0));
    // Each kind writes byte kShared with the value of its rank.
    if (kinds >= 1) level.startWeapons.push_back({kShared - 7, 1, 0, 0});
    if (kinds >= 2) level.startAmmo.push_back({kShared - 7, 2, 0, 0});
    if (kinds >= 3) level.guards.push_back({kShared - 5, 0, false, false, false, false, 3, 0, 0});
    if (kinds >= 4) level.weapons.push_back({kShared - 5, 4, 0, false, 0});
    if (kinds >= 5) level.attachments.push_back({kShared - 5, 0, 5});
    if (kinds >= 6) level.props.push_back({kShared - 5, 6});
    if (kinds >= 7) level.keys.push_back({kShared - 5, 0, 7});
    level.WriteBackToSetup();
    EXPECT_EQ(level.setupData[kShared], kinds);
  }
}

TEST_F(WriteBackTest, EntryWhoseRecordLeavesTheDataIsReportedAndNotWritten) {
  const ByteBuffer original(300, 0xEE);
  GoldeneyeLevel& level = Model(original);
  level.guards.push_back({300 - 27, 1, true, false, false, false, 1, 1, 1});  // one byte short
  level.weapons.push_back({0xFFFFFFF0, 1, 1, true, 1});
  level.startWeapons.push_back({300, 1, 2, 3});
  level.WriteBackToSetup();
  EXPECT_EQ(level.setupData, original);
  const std::string prefix =
      "ERROR GoldeneyeLevel::WriteBackToSetup(): Entry for the record at offset [";
  const std::string suffix = "] lies outside the setup data and was not written!";
  EXPECT_EQ(console.Lines(),
            (std::vector<std::string>{prefix + "300" + suffix, prefix + "273" + suffix,
                                      prefix + "4294967280" + suffix}));
}

TEST_F(WriteBackTest, EmptyDataStaysEmpty) {
  EXPECT_EQ(RoundTrip({}), ByteBuffer{});
}

}  // namespace
}  // namespace velmo
