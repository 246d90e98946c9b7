#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "level/goldeneye_level.h"
#include "level_model_fixture.h"
#include "setup_bytes.h"

namespace velmo {
namespace {

using testing::AttachmentRecord;
using testing::EndOfObjects;
using testing::GuardRecord;
using testing::KeyRecord;
using testing::PropRecord;
using testing::Record;
using testing::SetupFile;
using testing::VariableRecord;
using testing::WeaponRecord;
using testing::With;

const std::string kUnexpectedZero =
    "ERROR Encountered unexpected 0x00 value! Setup parsing has failed";
const std::string kUnaccompanied18 =
    "WARN Encountered unaccompanied 0x18 value! Setup parsing may have failed";
const std::string kBadOffset = "ERROR Offset to data block is not valid!";

std::string RunsPastEnd(std::uint32_t offset) {
  return "ERROR GoldeneyeLevel::ProcessSetupDataBlock(): Object record at offset [" +
         std::to_string(offset) + "] runs past the end of the setup data! Setup parsing has failed";
}

class ObjectListTest : public testing::LevelModelTest {
 protected:
  GoldeneyeLevel& ParseObjects(const ByteBuffer& bytes) {
    Model(bytes);
    model->ProcessSetupDataBlock();
    return *model;
  }

  std::vector<std::uint8_t> GuardIds() const {
    std::vector<std::uint8_t> ids;
    for (const GuardEntry& guard : model->guards) ids.push_back(guard.guardId);
    return ids;
  }
};

TEST_F(ObjectListTest, ListOfOnlyTheEndRecordGivesEmptyVectorsAndNoMessage) {
  GoldeneyeLevel& level = ParseObjects(SetupFile().Object(EndOfObjects()).Build());
  EXPECT_TRUE(level.guards.empty());
  EXPECT_TRUE(level.weapons.empty());
  EXPECT_TRUE(level.attachments.empty());
  EXPECT_TRUE(level.props.empty());
  EXPECT_TRUE(level.keys.empty());
  EXPECT_TRUE(level.spareWeapons.empty());
  EXPECT_TRUE(level.spareAttachments.empty());
  EXPECT_EQ(console.Text(), "");
}

TEST_F(ObjectListTest, FifteenBytesFailTheSizeTestAndSixteenPass) {
  ParseObjects(ByteBuffer(15, 0));
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"ERROR GoldeneyeLevel::ProcessSetupDataBlock(): "
                                     "Setup file size [15] indicates corruption!"});
  console.Clear();
  // Sixteen bytes whose list offset 4 points at an end record inside the header.
  ParseObjects({0, 0, 0, 0, 0, 0, 0, 0x30, 0, 0, 0, 0, 0, 0, 0, 4});
  EXPECT_EQ(console.Text(), "");
}

TEST_F(ObjectListTest, EmptyDataGivesTheSizeMessageWithZero) {
  ParseObjects({});
  EXPECT_EQ(console.Lines(),
            std::vector<std::string>{"ERROR GoldeneyeLevel::ProcessSetupDataBlock(): "
                                     "Setup file size [0] indicates corruption!"});
}

TEST_F(ObjectListTest, ListOffsetUpToSizePlusTwelvePassesTheOffsetTestOnly) {
  ByteBuffer bytes(40, 0);
  StoreBigEndian32(bytes.data() + 12, 53);
  ParseObjects(bytes);
  EXPECT_EQ(console.Lines(), std::vector<std::string>{kBadOffset});

  console.Clear();
  StoreBigEndian32(bytes.data() + 12, 52);
  ParseObjects(bytes);
  EXPECT_EQ(console.Lines(), std::vector<std::string>{RunsPastEnd(52)});

  // Three bytes left before the end are too few for a record header.
  console.Clear();
  StoreBigEndian32(bytes.data() + 12, 37);
  ParseObjects(bytes);
  EXPECT_EQ(console.Lines(), std::vector<std::string>{RunsPastEnd(37)});
}

TEST_F(ObjectListTest, KeptRecordsGiveEntriesWithTheirBytesInFileOrder) {
  SetupFile file;
  file.Object(PropRecord(0x51))
      .Object(GuardRecord(7, 0x1C, 0x0A))
      .Object(KeyRecord(0x62, 7))
      .Object(WeaponRecord(0x73, 7, 0x00, 0x14))
      .Object(AttachmentRecord(0x84, 7))
      .Object(With(GuardRecord(8, 0x23, 0xF5), {{10, 0x9A}, {11, 0x9B}}))
      .Object(WeaponRecord(0x75, 255, 0x37, 0x16))
      .Object(EndOfObjects());
  GoldeneyeLevel& level = ParseObjects(file.Build());
  EXPECT_EQ(console.Text(), "");

  ASSERT_EQ(level.props.size(), 1u);
  EXPECT_EQ(level.props[0].recordOffset, file.ObjectOffset(0));
  EXPECT_EQ(level.props[0].modelId, 0x51u);

  ASSERT_EQ(level.guards.size(), 2u);
  const GuardEntry& first = level.guards[0];
  EXPECT_EQ(first.recordOffset, file.ObjectOffset(1));
  EXPECT_EQ(first.guardId, 7);
  EXPECT_EQ(first.bodyType, 0x1Cu);
  EXPECT_EQ(std::vector<bool>({first.flagBit0, first.flagBit1, first.flagBit2, first.flagBit3}),
            std::vector<bool>({false, true, false, true}));
  EXPECT_EQ(first.byte10, testing::FillerByte(10));
  const GuardEntry& second = level.guards[1];
  EXPECT_EQ(second.recordOffset, file.ObjectOffset(5));
  EXPECT_EQ(second.guardId, 8);
  EXPECT_EQ(second.bodyType, 0x23u);
  EXPECT_EQ(std::vector<bool>({second.flagBit0, second.flagBit1, second.flagBit2, second.flagBit3}),
            std::vector<bool>({true, false, true, false}));
  EXPECT_EQ(second.byte10, 0x9A);
  EXPECT_EQ(second.byte11, 0x9B);

  ASSERT_EQ(level.keys.size(), 1u);
  EXPECT_EQ(level.keys[0].recordOffset, file.ObjectOffset(2));
  EXPECT_EQ(level.keys[0].modelId, 0x62u);
  EXPECT_EQ(level.keys[0].holderId, 7u);

  ASSERT_EQ(level.weapons.size(), 2u);
  EXPECT_EQ(level.weapons[0].recordOffset, file.ObjectOffset(3));
  EXPECT_EQ(level.weapons[0].modelId, 0x73u);
  EXPECT_EQ(level.weapons[0].holderId, 7);
  EXPECT_TRUE(level.weapons[0].byte8Clear);
  EXPECT_EQ(level.weapons[0].weaponId, 0x14u);
  EXPECT_EQ(level.weapons[1].recordOffset, file.ObjectOffset(6));
  EXPECT_EQ(level.weapons[1].holderId, 255);
  EXPECT_FALSE(level.weapons[1].byte8Clear);
  EXPECT_EQ(level.weapons[1].weaponId, 0x16u);

  ASSERT_EQ(level.attachments.size(), 1u);
  EXPECT_EQ(level.attachments[0].recordOffset, file.ObjectOffset(4));
  EXPECT_EQ(level.attachments[0].modelId, 0x84u);
  EXPECT_EQ(level.attachments[0].holderId, 7);
}

// The length of every fixed-length type that is stepped over: a guard placed
// right after the record is found only when the step is exact.
TEST_F(ObjectListTest, EverySkippedFixedLengthTypeStepsItsLength) {
  const std::vector<std::pair<std::uint8_t, std::size_t>> lengths = {
      {0x01, 256}, {0x02, 8},   {0x05, 128}, {0x06, 236}, {0x07, 132}, {0x0A, 256},
      {0x0B, 596}, {0x0C, 128}, {0x0D, 216}, {0x0E, 12},  {0x12, 12},  {0x13, 16},
      {0x14, 180}, {0x15, 136}, {0x16, 16},  {0x1A, 16},  {0x21, 40},  {0x23, 16},
      {0x24, 128}, {0x25, 40},  {0x26, 16},  {0x27, 176}, {0x28, 180}, {0x2A, 128},
      {0x2B, 128}, {0x2C, 20},  {0x2D, 224}, {0x2E, 28},  {0x2F, 148}};
  for (const auto& [type, length] : lengths) {
    SCOPED_TRACE(::testing::Message() << "type " << int{type});
    SetupFile file;
    file.Object(Record(type, length)).Object(GuardRecord(3, 1, 0)).Object(EndOfObjects());
    GoldeneyeLevel& level = ParseObjects(file.Build());
    ASSERT_EQ(level.guards.size(), 1u);
    EXPECT_EQ(level.guards[0].recordOffset, file.ObjectOffset(1));
    EXPECT_EQ(console.Text(), "");
  }
}

TEST_F(ObjectListTest, VariableLengthTypesStepTheLengthInBytesZeroAndOne) {
  for (std::uint8_t type : {0x0F, 0x10, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x22, 0x29}) {
    SCOPED_TRACE(::testing::Message() << "type " << int{type});
    SetupFile file;
    // 0x105 bytes: the high length byte counts, and the step need not be a multiple of four.
    file.Object(VariableRecord(type, 0x105)).Object(GuardRecord(3, 1, 0)).Object(EndOfObjects());
    GoldeneyeLevel& level = ParseObjects(file.Build());
    ASSERT_EQ(level.guards.size(), 1u);
    EXPECT_EQ(level.guards[0].recordOffset, file.ObjectOffset(1));
    EXPECT_EQ(console.Text(), "");
  }
}

TEST_F(ObjectListTest, GuardInsideABlockIsNotCollectedAndParsingResumesAfterTheUnalignedEnd) {
  for (std::uint8_t blockType : {0x17, 0x19}) {
    SCOPED_TRACE(::testing::Message() << "block type " << int{blockType});
    SetupFile file;
    file.Object(GuardRecord(1, 1, 0))
        .Object(Record(blockType, 8))
        .Object(GuardRecord(2, 1, 0))
        .Object(ByteBuffer{0x77, 0x00, 0x00, 0x00, 0x18})  // the block end, one byte off
        .Object(GuardRecord(3, 1, 0))
        .Object(EndOfObjects());
    GoldeneyeLevel& level = ParseObjects(file.Build());
    EXPECT_EQ(GuardIds(), (std::vector<std::uint8_t>{1, 3}));
    ASSERT_EQ(level.guards.size(), 2u);
    EXPECT_EQ(level.guards[1].recordOffset, file.ObjectOffset(4));
    EXPECT_EQ(level.guards[1].recordOffset % 4, 1u);
    EXPECT_EQ(console.Text(), "");
  }
}

TEST_F(ObjectListTest, BlockEndsAtTheFirstEndSequenceEvenInsideAnotherRecordsData) {
  // A prop inside the block carries 00 00 00 18 in its bytes 9 to 12; a guard
  // record and the list end follow straight after it within the prop's bytes.
  ByteBuffer prop = PropRecord(0x51);
  const ByteBuffer endSequence = {0x00, 0x00, 0x00, 0x18};
  const ByteBuffer guard = GuardRecord(9, 2, 0);
  const ByteBuffer listEnd = EndOfObjects();
  std::copy(endSequence.begin(), endSequence.end(), prop.begin() + 9);
  std::copy(guard.begin(), guard.end(), prop.begin() + 13);
  std::copy(listEnd.begin(), listEnd.end(), prop.begin() + 13 + 28);

  SetupFile file;
  file.Object(Record(0x19, 16)).Object(prop).Object(GuardRecord(4, 1, 0)).Object(EndOfObjects());
  GoldeneyeLevel& level = ParseObjects(file.Build());
  EXPECT_EQ(GuardIds(), std::vector<std::uint8_t>{9});
  ASSERT_EQ(level.guards.size(), 1u);
  EXPECT_EQ(level.guards[0].recordOffset, file.ObjectOffset(1) + 13);
  EXPECT_TRUE(level.props.empty());
  EXPECT_EQ(console.Text(), "");
}

TEST_F(ObjectListTest, BlockWithoutEndSequenceEndsTheParseSilently) {
  SetupFile file;
  file.Object(GuardRecord(1, 1, 0))
      .Object(Record(0x17, 8))
      .Object(GuardRecord(2, 1, 0))
      .Object(EndOfObjects());
  ParseObjects(file.Build());
  EXPECT_EQ(GuardIds(), std::vector<std::uint8_t>{1});
  EXPECT_EQ(console.Text(), "");
}

TEST_F(ObjectListTest, Unaccompanied18WarnsOnceAndSkipsSixteenBytes) {
  SetupFile file;
  // Bytes 4 to 15 of the 0x18 record would read as a guard header if the step were 4.
  file.Object(With(Record(0x18, 16), {{4, 0}, {5, 0}, {6, 0}, {7, 0x09}}))
      .Object(GuardRecord(5, 1, 0))
      .Object(EndOfObjects());
  GoldeneyeLevel& level = ParseObjects(file.Build());
  EXPECT_EQ(console.Lines(), std::vector<std::string>{kUnaccompanied18});
  ASSERT_EQ(level.guards.size(), 1u);
  EXPECT_EQ(level.guards[0].recordOffset, file.ObjectOffset(1));
}

TEST_F(ObjectListTest, TypeZeroEndsTheParseWithItsErrorAndKeepsWhatCameBefore) {
  SetupFile file;
  file.Object(GuardRecord(1, 1, 0))
      .Object(Record(0x00, 16))
      .Object(GuardRecord(2, 1, 0))
      .Object(EndOfObjects());
  ParseObjects(file.Build());
  EXPECT_EQ(GuardIds(), std::vector<std::uint8_t>{1});
  EXPECT_EQ(console.Lines(), std::vector<std::string>{kUnexpectedZero});
}

TEST_F(ObjectListTest, TypeAboveTheEndCodeEndsTheParseWithAnError) {
  for (std::uint8_t type : {0x31, 0xFF}) {
    console.Clear();
    SetupFile file;
    file.Object(GuardRecord(1, 1, 0))
        .Object(Record(type, 16))
        .Object(GuardRecord(2, 1, 0))
        .Object(EndOfObjects());
    ParseObjects(file.Build());
    EXPECT_EQ(GuardIds(), std::vector<std::uint8_t>{1});
    EXPECT_EQ(
        console.Lines(),
        std::vector<std::string>{
            "ERROR GoldeneyeLevel::ProcessSetupDataBlock(): Encountered unknown object type [" +
            std::to_string(type) + "] at offset [" + std::to_string(file.ObjectOffset(1)) +
            "]! Setup parsing has failed"});
  }
}

TEST_F(ObjectListTest, VariableLengthOfZeroEndsTheParseWithAnError) {
  SetupFile file;
  file.Object(GuardRecord(1, 1, 0))
      .Object(VariableRecord(0x22, 0))
      .Object(GuardRecord(2, 1, 0))
      .Object(EndOfObjects());
  ParseObjects(file.Build());
  EXPECT_EQ(GuardIds(), std::vector<std::uint8_t>{1});
  EXPECT_EQ(
      console.Lines(),
      std::vector<std::string>{
          "ERROR GoldeneyeLevel::ProcessSetupDataBlock(): Object record of type [34] at "
          "offset [" +
          std::to_string(file.ObjectOffset(1)) + "] has a length of 0! Setup parsing has failed"});
}

TEST_F(ObjectListTest, RecordsRunningPastTheEndAreNotKeptAndEndTheParse) {
  // Each last record loses its final byte: a guard, a variable record, and the
  // end record, of which only three header bytes remain.
  for (const ByteBuffer& last :
       {GuardRecord(2, 1, 0), VariableRecord(0x10, 0x40), EndOfObjects()}) {
    console.Clear();
    SetupFile file;
    file.Object(GuardRecord(1, 1, 0)).Object(last);
    ByteBuffer bytes = file.Build();
    bytes.pop_back();
    ParseObjects(bytes);
    EXPECT_EQ(GuardIds(), std::vector<std::uint8_t>{1});
    EXPECT_EQ(console.Lines(), std::vector<std::string>{RunsPastEnd(file.ObjectOffset(1))});
  }
}

}  // namespace
}  // namespace velmo
