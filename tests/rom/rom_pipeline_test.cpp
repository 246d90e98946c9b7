#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cartridge/mapped_rom_file.h"
#include "harness/recording_console.h"
#include "harness/scripted_random.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"
#include "randomise/random_source.h"
#include "rom/rom.h"
#include "support/buffer_words.h"
#include "support/number_text.h"

namespace velmo {

// Runs a ROM's steps with one fault put in between two of them, as a fault in
// Velmo's own code would put it there.
class RomPipelineFaults {
 public:
  // The packing records the offset of one setup file 16 bytes off; gives the
  // offset it recorded and the one of the next file.
  static std::pair<std::uint32_t, std::uint32_t> RunWithTableWordOffBy16(ROM& rom,
                                                                         std::size_t file) {
    const auto steps = ROM::Steps();
    const auto tableWriteBack = std::find_if(steps.begin(), steps.end(), [](const auto& step) {
      return step.run == &ROM::WriteUpdated21990;
    });
    EXPECT_TRUE(rom.RunSteps({steps.begin(), tableWriteBack}));
    const auto offsetWord = [&](std::size_t index) {
      return GetDWORDFromOffset(rom.inflated21990, rom.setupFiles.at(index).tablePosition);
    };
    const std::uint32_t misplaced = offsetWord(file) + 16;
    SetDWORDToffset(rom.inflated21990, rom.setupFiles.at(file).tablePosition, misplaced);
    EXPECT_FALSE(rom.RunSteps({tableWriteBack, steps.end()}));
    return {misplaced, offsetWord(file + 1)};
  }
};

namespace {

using testing::RecordingConsole;
using testing::ScriptedRandom;
using testing::TempDir;
using testing::WriteBinaryFile;

class RomPipelineTest : public ::testing::Test {
 protected:
  bool LoadInROM() {
    ScriptedRandom random{};
    ROM rom(imagePath, dir.File("Velmo.ini"), random);
    return rom.LoadInROM();
  }

  TempDir dir;
  std::string imagePath = dir.File("image_rand.z64");
  RecordingConsole console;
};

TEST_F(RomPipelineTest, EmptyImageFailsToLoadBeforeAnyReport) {
  WriteBinaryFile(imagePath, {});
  EXPECT_FALSE(LoadInROM());
  EXPECT_EQ(console.Text(), "ERROR LoadInROM(): Failed to load file!\n");
}

TEST_F(RomPipelineTest, ImageHeldByAnotherOpenerFailsToLoad) {
  WriteBinaryFile(imagePath, ByteBuffer(0x2000, 0x80));
  MappedRomFile holder;
  ASSERT_TRUE(holder.LoadFile(imagePath));
  EXPECT_FALSE(LoadInROM());
  EXPECT_EQ(console.Text(), "ERROR LoadInROM(): Failed to load file!\n");
}

TEST_F(RomPipelineTest, MisplacedTableWordIsCaughtBeforeTheDatabaseIsUpdated) {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  WriteBinaryFile(imagePath, image_builder::BuildImage(options).bytes);
  const std::string rdbPath = dir.File("Project64.rdb");
  testing::WriteTextFile(dir.File("Velmo.ini"), "UpdatePJ64=1\nPJ64RDBFile=" + rdbPath + "\n");
  ClassicRandom random(5);
  ROM rom(imagePath, dir.File("Velmo.ini"), random);

  const auto [misplaced, nextFile] = RomPipelineFaults::RunWithTableWordOffBy16(rom, 5);
  EXPECT_EQ(console.LinesStartingWith("ERROR "),
            (std::vector<std::string>{
                "ERROR ROM::VerifyRandomisedROM(): Setup file of [Cradle] at offset [" +
                    ToHexText(misplaced) + "] does not inflate completely before [" +
                    ToHexText(nextFile) + "]",
                "ERROR LoadInROM(): Failed to verify randomised ROM"}));
  EXPECT_FALSE(std::filesystem::exists(rdbPath));
}

}  // namespace
}  // namespace velmo
