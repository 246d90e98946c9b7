#include "rom/level_loop.h"

#include <gtest/gtest.h>

#include "harness/recording_console.h"
#include "harness/scripted_random.h"
#include "harness/temp_dir.h"
#include "randomise/randomiser_switches.h"
#include "support/buffer_words.h"
#include "support/codec.h"
#include "support/config_file.h"

namespace velmo {
namespace {

using testing::RecordingConsole;
using testing::ScriptedRandom;
using testing::TempDir;

SetupFileEntry PackedFile(std::uint32_t tablePosition, std::size_t size, std::uint8_t fill) {
  SetupFileEntry file;
  file.tablePosition = tablePosition;
  file.setupData.assign(size, fill);
  return file;
}

class WriteUpdatedSetupsTest : public ::testing::Test {
 protected:
  WriteUpdatedSetupsTest() : image(0x3000, 0xEE), table(64, 0) {
    files.push_back(PackedFile(0, 33, 1));
    files.push_back(PackedFile(12, 16, 2));
    files.push_back(PackedFile(24, 1, 3));
    files.push_back(PackedFile(36, 40, 4));
    files[0].romOffset = 0x1000;
  }

  ByteBuffer image;
  ByteBuffer table;
  std::vector<SetupFileEntry> files;
  RecordingConsole console;
};

TEST_F(WriteUpdatedSetupsTest, PacksFromTheFirstOffsetOnSixteenByteBoundaries) {
  ASSERT_TRUE(WriteUpdatedSetups(image, files, table, 0x1078));
  const std::uint32_t starts[] = {0x1000, 0x1030, 0x1040, 0x1050};
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(LoadBigEndian32(&table[files[i].tablePosition]), starts[i]);
    EXPECT_TRUE(std::equal(files[i].setupData.begin(), files[i].setupData.end(),
                           image.begin() + starts[i]));
  }
  // Padding between files is zero; nothing outside the packed range changes.
  EXPECT_TRUE(
      std::all_of(image.begin() + 0x1021, image.begin() + 0x1030, [](auto b) { return b == 0; }));
  EXPECT_TRUE(
      std::all_of(image.begin() + 0x1041, image.begin() + 0x1050, [](auto b) { return b == 0; }));
  EXPECT_EQ(image[0xFFF], 0xEE);
  EXPECT_EQ(image[0x1078], 0xEE);
  EXPECT_EQ(console.Text(), "SUCCESS WriteUpdatedSetups(): Finished writing updated setups!\n");
}

TEST_F(WriteUpdatedSetupsTest, RefusesToRunIntoTheTextWithoutWriting) {
  const ByteBuffer imageBefore = image;
  EXPECT_FALSE(WriteUpdatedSetups(image, files, table, 0x1070));
  EXPECT_EQ(image, imageBefore);
  EXPECT_EQ(table, ByteBuffer(64, 0));
  EXPECT_EQ(console.Text(),
            "ERROR WriteUpdatedSetups(): Updated setups need [8] more bytes than the space before "
            "the text banks!\n");
}

// A setup file with an intro block of only its end record and an object list
// of only its end record.
ByteBuffer EmptySetup() {
  ByteBuffer setup(32, 0);
  StoreBigEndian32(&setup[8], 16);
  StoreBigEndian32(&setup[12], 20);
  setup[19] = 9;
  setup[23] = 0x30;
  return setup;
}

class ProcessROMTest : public ::testing::Test {
 protected:
  // Places a compressed file for each level at 0x100-byte steps.
  void AddLevel(LevelId levelId, const ByteBuffer& compressed) {
    SetupFileEntry file;
    file.romOffset = 0x100 * static_cast<std::uint32_t>(files.size() + 1);
    file.availableSize = 0xFF;
    file.levelId = levelId;
    std::copy(compressed.begin(), compressed.end(), image.begin() + file.romOffset);
    files.push_back(std::move(file));
  }

  static ByteBuffer Compressed(const ByteBuffer& plain) {
    ByteBuffer block;
    CompressData(plain, block, 5);
    return block;
  }

  TempDir dir;
  ConfigFile config{dir.File("Velmo.ini")};
  ByteBuffer image = ByteBuffer(0x1000, 0x5A);
  std::vector<SetupFileEntry> files;
  std::vector<LevelReport> reports;
  RecordingConsole console;
};

TEST_F(ProcessROMTest, CorruptedLevelFailsTheLoopButTheOthersAreProcessed) {
  AddLevel(level::kArchives, Compressed(EmptySetup()));
  AddLevel(level::kAztec, ByteBuffer{0x11, 0x72, 0xFF, 0xFF, 0xFF});
  AddLevel(level::kEgypt, Compressed(EmptySetup()));
  // Per good level: the Nemesis chance (1: none), then the two weapon-pool draws.
  ScriptedRandom random{1, 0, 0, 1, 0, 0};
  EXPECT_FALSE(ProcessROM(image, files, RandomiserSwitches{}, config, random, reports));

  const auto lines = console.Lines();
  EXPECT_EQ(console.LinesStartingWith("INFO Inspecting "),
            (std::vector<std::string>{"INFO Inspecting Archives... ", "INFO Inspecting Aztec... ",
                                      "INFO Inspecting Egypt... "}));
  EXPECT_EQ(console.LinesStartingWith("ERROR "),
            std::vector<std::string>{
                "ERROR ProcessROM(): The level [Aztec] seems to have become corrupted!"});
  for (const SetupFileEntry& file : {files[0], files[2]}) {
    ByteBuffer inflated;
    ASSERT_TRUE(DecompressData(file.setupData, inflated));
    EXPECT_EQ(inflated, EmptySetup());
    EXPECT_TRUE(std::all_of(image.begin() + file.romOffset,
                            image.begin() + file.romOffset + file.availableSize,
                            [](auto b) { return b == 0; }));
  }
  EXPECT_TRUE(files[1].setupData.empty());
  EXPECT_EQ(image[0x100 - 1], 0x5A);
  EXPECT_EQ(image[0x1FF], 0x5A);  // end bound bytes are nobody's
}

// One byte has no room to be deflated into: a level whose stream would be cut
// short is corrupted, not packed as if it were whole.
TEST_F(ProcessROMTest, LevelThatDoesNotRecompressWholeIsCorrupted) {
  AddLevel(level::kAztec, ByteBuffer{0x11, 0x72, 0x73, 0x02, 0x00});  // the byte 'B'
  ScriptedRandom random{1, 0, 0};
  EXPECT_FALSE(ProcessROM(image, files, RandomiserSwitches{}, config, random, reports));
  const auto lines = console.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "WARN CompressData(): Failed with message [buffer error]");
  EXPECT_EQ(lines.back(), "ERROR ProcessROM(): The level [Aztec] seems to have become corrupted!");
  EXPECT_TRUE(files[0].setupData.empty());
}

TEST_F(ProcessROMTest, NemesisDrawComesBeforeTheLevelsOwnDraws) {
  AddLevel(level::kDam, Compressed(EmptySetup()));
  ScriptedRandom random{10, 0, 0};
  EXPECT_TRUE(ProcessROM(image, files, RandomiserSwitches{}, config, random, reports));
  EXPECT_EQ(
      console.LinesStartingWith("TRACE "),
      std::vector<std::string>{"TRACE GoldeneyeLevel::RandomiseLevel(): Adding Nemesis character"});
  EXPECT_EQ(console.LinesStartingWith("ERROR "),
            std::vector<std::string>{
                "ERROR GoldeneyeLevel::AddNemesisCharacter(): No entities to convert to Nemesis "
                "character!"});
}

}  // namespace
}  // namespace velmo
