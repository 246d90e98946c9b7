#include "rom/run_paths.h"

#include <gtest/gtest.h>

#include "randomise/random_source.h"

namespace velmo {
namespace {

TEST(RunPaths, ConfigurationBesideTheExecutable) {
  EXPECT_EQ(ConfigPathFor("C:\\tools\\Velmo.exe"), "C:\\tools\\Velmo.ini");
  EXPECT_EQ(ConfigPathFor("Velmo"), "Velmo.ini");
  // Programs without an extension are run as ./Velmo: a "." in a directory
  // name must not cut the path there.
  EXPECT_EQ(ConfigPathFor("./build/Velmo"), "./build/Velmo.ini");
  EXPECT_EQ(ConfigPathFor("/opt/v1.2/Velmo"), "/opt/v1.2/Velmo.ini");
  EXPECT_EQ(ConfigPathFor("C:\\v1.2\\Velmo.exe"), "C:\\v1.2\\Velmo.ini");
}

TEST(RunPaths, OutputBesideTheImage) {
  EXPECT_EQ(OutputPathFor("D:\\roms\\ge.z64"), "D:\\roms\\ge_rand.z64");
  EXPECT_EQ(OutputPathFor("ge"), "ge_rand");
  EXPECT_EQ(OutputPathFor("C:\\my.roms\\goldeneye"), "C:\\my_rand.roms\\goldeneye");
}

TEST(ClassicRandom, ReplaysTheRuntimeSequence) {
  ClassicRandom random(1);
  const std::uint32_t expected[] = {41, 18467, 6334, 26500, 19169};
  for (std::uint32_t value : expected) EXPECT_EQ(random.Draw(), value);
  ClassicRandom again(1);
  EXPECT_EQ(again.Draw(), 41u);
}

}  // namespace
}  // namespace velmo
