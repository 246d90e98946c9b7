#include <gtest/gtest.h>

#include "rom/mapped_rom_file.h"
#include "rom/rom.h"
#include "support/recording_console.h"
#include "support/scripted_random.h"
#include "support/temp_dir.h"

namespace velmo {
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

}  // namespace
}  // namespace velmo
