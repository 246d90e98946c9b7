#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "level/goldeneye_level.h"
#include "level_model_fixture.h"
#include "setup_bytes.h"

namespace velmo {
namespace {

using testing::EndOfIntro;
using testing::EndOfObjects;
using testing::Record;
using testing::SetupFile;
using testing::StartAmmoRecord;
using testing::StartWeaponRecord;

const std::string kCreditsWarning =
    "WARN GoldeneyeLevel::ProcessStartingBlock(): Encountered credit block in a level other than "
    "Cuba!";

std::string RunsPastEnd(std::uint32_t offset) {
  return "ERROR GoldeneyeLevel::ProcessStartingBlock(): Intro record at offset [" +
         std::to_string(offset) + "] runs past the end of the setup data! Intro parsing has failed";
}

class IntroBlockTest : public testing::LevelModelTest {
 protected:
  GoldeneyeLevel& ParseIntro(const ByteBuffer& bytes, LevelId levelId = level::kDam) {
    Model(bytes, levelId);
    model->ProcessStartingBlock();
    return *model;
  }

  std::vector<std::uint32_t> AmmoTypes() const {
    std::vector<std::uint32_t> types;
    for (const StartAmmoEntry& ammo : model->startAmmo) types.push_back(ammo.ammoType);
    return types;
  }
};

TEST_F(IntroBlockTest, BlockOfOnlyTheEndRecordGivesEmptyVectorsAndNoMessage) {
  GoldeneyeLevel& level = ParseIntro(SetupFile().Intro(EndOfIntro()).Build());
  EXPECT_TRUE(level.startWeapons.empty());
  EXPECT_TRUE(level.startAmmo.empty());
  EXPECT_EQ(console.Text(), "");
}

TEST_F(IntroBlockTest, ElevenBytesFailTheSizeTestAndTwelvePassButFailTheObjectListTest) {
  ParseIntro(ByteBuffer(11, 0));
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"ERROR GoldeneyeLevel::ProcessStartingBlock(): "
                                     "Setup file size [11] indicates corruption!"});

  // Twelve bytes whose block offset 4 points at an end record inside the header.
  console.Clear();
  Parse({0, 0, 0, 0, 0, 0, 0, 0x09, 0, 0, 0, 4});
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"ERROR GoldeneyeLevel::ProcessSetupDataBlock(): "
                                     "Setup file size [12] indicates corruption!"});
}

TEST_F(IntroBlockTest, BlockOffsetUpToSizePlusEightPassesTheOffsetTestOnly) {
  ByteBuffer bytes(40, 0);
  StoreBigEndian32(bytes.data() + 8, 49);
  ParseIntro(bytes);
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"ERROR GoldeneyeLevel::ProcessStartingBlock(): "
                                     "Offset to intro data block is not valid!"});

  console.Clear();
  StoreBigEndian32(bytes.data() + 8, 48);
  ParseIntro(bytes);
  EXPECT_EQ(console.Lines(), std::vector<std::string>{RunsPastEnd(48)});

  console.Clear();
  StoreBigEndian32(bytes.data() + 8, 37);
  ParseIntro(bytes);
  EXPECT_EQ(console.Lines(), std::vector<std::string>{RunsPastEnd(37)});
}

TEST_F(IntroBlockTest, StartWeaponTakesTheSecondFieldWhenByteElevenIsNotFF) {
  SetupFile file;
  file.Intro(StartWeaponRecord(0x11, 0xFFFFFFFF, 0x02))
      .Intro(StartWeaponRecord(0x12, 0x00000021, 0x03))
      .Intro(StartWeaponRecord(0x13, 0xFFFFFF22, 0x04))
      .Intro(StartWeaponRecord(0x14, 0x000000FF, 0x05))
      .Intro(EndOfIntro());
  GoldeneyeLevel& level = ParseIntro(file.Build());
  EXPECT_EQ(console.Text(), "");
  ASSERT_EQ(level.startWeapons.size(), 4u);
  const std::vector<std::uint32_t> expectedWeapons = {0x11, 0x21, 0x22, 0x14};
  for (std::size_t i = 0; i < 4; ++i) {
    const StartWeaponEntry& entry = level.startWeapons[i];
    EXPECT_EQ(entry.recordOffset, file.IntroOffset(i));
    EXPECT_EQ(entry.weaponId, expectedWeapons[i]);
    EXPECT_EQ(entry.secondWeaponId, 0u);
    EXPECT_EQ(entry.set, i + 2);
  }
}

TEST_F(IntroBlockTest, StartAmmoCopiesItsThreeBytes) {
  SetupFile file;
  file.Intro(StartAmmoRecord(0x0C, 0xC8, 0x01)).Intro(EndOfIntro());
  GoldeneyeLevel& level = ParseIntro(file.Build());
  ASSERT_EQ(level.startAmmo.size(), 1u);
  EXPECT_EQ(level.startAmmo[0].recordOffset, file.IntroOffset(0));
  EXPECT_EQ(level.startAmmo[0].ammoType, 0x0Cu);
  EXPECT_EQ(level.startAmmo[0].amount, 0xC8);
  EXPECT_EQ(level.startAmmo[0].set, 0x01);
}

TEST_F(IntroBlockTest, EverySkippedTypeStepsItsLength) {
  const std::vector<std::pair<std::uint8_t, std::size_t>> lengths = {{0, 12}, {3, 32}, {4, 8},
                                                                     {5, 8},  {6, 40}, {7, 12}};
  for (const auto& [type, length] : lengths) {
    SCOPED_TRACE(::testing::Message() << "type " << int{type});
    SetupFile file;
    file.Intro(Record(type, length)).Intro(StartAmmoRecord(1, 2, 3)).Intro(EndOfIntro());
    GoldeneyeLevel& level = ParseIntro(file.Build());
    ASSERT_EQ(level.startAmmo.size(), 1u);
    EXPECT_EQ(level.startAmmo[0].recordOffset, file.IntroOffset(1));
    EXPECT_EQ(console.Text(), "");
  }
}

TEST_F(IntroBlockTest, CreditsEndTheBlockSilentlyInCubaAndWithTheWarningElsewhere) {
  SetupFile file;
  file.Intro(StartAmmoRecord(1, 2, 3))
      .Intro(Record(8, 4))
      .Intro(StartAmmoRecord(4, 5, 6))
      .Intro(EndOfIntro());
  ParseIntro(file.Build(), level::kCuba);
  EXPECT_EQ(AmmoTypes(), std::vector<std::uint32_t>{1});
  EXPECT_EQ(console.Text(), "");

  for (LevelId other : {level::kDam, level::kEgypt}) {
    console.Clear();
    ParseIntro(file.Build(), other);
    EXPECT_EQ(AmmoTypes(), std::vector<std::uint32_t>{1});
    EXPECT_EQ(console.Lines(), std::vector<std::string>{kCreditsWarning});
  }
}

TEST_F(IntroBlockTest, TypeAboveNineEndsTheBlockWithTheWarning) {
  SetupFile file;
  file.Intro(StartAmmoRecord(1, 2, 3))
      .Intro(Record(10, 16))
      .Intro(StartAmmoRecord(4, 5, 6))
      .Intro(EndOfIntro());
  ParseIntro(file.Build());
  EXPECT_EQ(AmmoTypes(), std::vector<std::uint32_t>{1});
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"WARN GoldeneyeLevel::ProcessStartingBlock(): "
                                     "Encountered unexpected Intro block type!"});
}

TEST_F(IntroBlockTest, RecordRunningPastTheEndIsNotKeptAndEndsTheParse) {
  // The last record loses its final byte: a start weapon, then a lone end record.
  for (const ByteBuffer& last : {StartWeaponRecord(1, 0xFFFFFFFF, 0), EndOfIntro()}) {
    console.Clear();
    SetupFile file;
    file.Intro(StartAmmoRecord(1, 2, 3)).Intro(last);
    ByteBuffer bytes = file.Build();
    bytes.pop_back();
    GoldeneyeLevel& level = ParseIntro(bytes);
    EXPECT_EQ(AmmoTypes(), std::vector<std::uint32_t>{1});
    EXPECT_TRUE(level.startWeapons.empty());
    EXPECT_EQ(console.Lines(), std::vector<std::string>{RunsPastEnd(file.IntroOffset(1))});
  }
}

TEST_F(IntroBlockTest, BothParsersFillTheirOwnVectorsFromOneFile) {
  SetupFile file;
  file.Intro(StartWeaponRecord(0x11, 0xFFFFFFFF, 0))
      .Intro(EndOfIntro())
      .Object(testing::GuardRecord(1, 2, 0))
      .Object(EndOfObjects());
  GoldeneyeLevel& level = Parse(file.Build());
  EXPECT_EQ(level.startWeapons.size(), 1u);
  EXPECT_EQ(level.guards.size(), 1u);
  EXPECT_EQ(console.Text(), "");
}

}  // namespace
}  // namespace velmo
