#include "app/driver.h"

#include <gtest/gtest.h>

#include <string>

#include "harness/recording_console.h"
#include "harness/temp_dir.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::ReadTextFile;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteTextFile;

std::uint32_t FixedClock() {
  return 1234567;
}

// The release is read from the executable named on the command line. On
// Windows that is its version resource, and the executable named in these
// tests does not exist; elsewhere the number is built into the tool.
#ifdef _WIN32
const std::string kReleaseLineOfAbsentExecutable = "     Release 0";
#else
const std::string kReleaseLineOfAbsentExecutable =
    "     Release " + std::to_string(VELMO_RELEASE_NUMBER);
#endif

TEST(Driver, NoImageGivenPrintsBannerAndRefuses) {
  TempDir dir;
  RecordingConsole console;
  EXPECT_EQ(RunVelmo({dir.File("Velmo.exe")}, FixedClock), 0);
  const auto lines = console.Lines();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0].rfind("Velmo by ", 0), 0u);
  EXPECT_EQ(lines[1], kReleaseLineOfAbsentExecutable);
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Usage: Velmo.exe [Goldeneye Rom file]");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines.back(), "ERROR No NTSC Goldeneye ROM file supplied!");
  EXPECT_EQ(lines[lines.size() - 2], "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(Driver, MissingImageFailsTheCopyAndLeavesTheConfigurationAlone) {
  TempDir dir;
  const std::string configPath = dir.File("Velmo.ini");
  WriteTextFile(configPath, "# mine\nRandomisedROMs=3\n");
  RecordingConsole console;
  EXPECT_EQ(RunVelmo({dir.File("Velmo.exe"), dir.File("absent.z64"), "ignored"}, FixedClock), 0);
  const std::string text = console.Text();
  EXPECT_NE(text.find("Will load [" + dir.File("absent.z64") + "]\n... and save patched rom to [" +
                      dir.File("absent_rand.z64") + "]\n\n"),
            std::string::npos);
  EXPECT_EQ(console.LinesStartingWith("ERROR "),
            std::vector<std::string>{"ERROR Failed creating copy of ROM!"});
  EXPECT_EQ(ReadTextFile(configPath), "# mine\nRandomisedROMs=3\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("absent_rand.z64")));
}

}  // namespace
}  // namespace velmo
