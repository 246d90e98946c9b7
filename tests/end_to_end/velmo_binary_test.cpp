#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cartridge/mapped_rom_file.h"
#include "harness/program_run.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"

namespace velmo {
namespace {

using testing::ProgramRun;
using testing::ReadBinaryFile;
using testing::RunProgram;
using testing::TempDir;
using testing::VelmoBinaryPath;
using testing::WriteBinaryFile;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> ErrorLines(const std::string& text) {
  std::vector<std::string> errors;
  for (const std::string& line : SplitLines(text)) {
    if (line.rfind("ERROR ", 0) == 0) errors.push_back(line);
  }
  return errors;
}

class VelmoBinary : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo = VelmoBinaryPath();
    ASSERT_FALSE(velmo.empty()) << "VELMO_BINARY is not set";
  }

  // A copy of the tool in the test's own directory, so the configuration file
  // it keeps beside itself is the test's too.
  std::string PrivateCopyOfVelmo() {
    const std::string copy = (dir.Path() / std::filesystem::path(velmo).filename()).string();
    std::filesystem::copy_file(velmo, copy);
    return copy;
  }

  std::string velmo;
  TempDir dir;
};

TEST_F(VelmoBinary, BannerShowsTheReleaseOfTheExecutableAndNoImageIsRefused) {
  // Release 0 is also what a missing version resource gives.
  ASSERT_NE(VELMO_RELEASE_NUMBER, 0);
  const ProgramRun run = RunProgram(velmo, {});
  EXPECT_EQ(run.exitStatus, 0);

  // Standard output is a pipe here, not a console: the colour changes fail or
  // are left out, and the text still arrives whole and in order.
  EXPECT_EQ(run.output.find('\r'), std::string::npos);
  EXPECT_EQ(run.output.find('\x1b'), std::string::npos);
  const std::vector<std::string> lines = SplitLines(run.output);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0].rfind("Velmo by ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "     Release " + std::to_string(VELMO_RELEASE_NUMBER));
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Usage: Velmo.exe [Goldeneye Rom file]");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[lines.size() - 2], "");
  EXPECT_EQ(lines.back(), "ERROR No NTSC Goldeneye ROM file supplied!");
  EXPECT_EQ(ErrorLines(run.output).size(), 1u);
}

TEST_F(VelmoBinary, SecondRunWhileTheOutputIsHeldOpenFailsAtTheCopy) {
  const std::string tool = PrivateCopyOfVelmo();
  const std::string input = dir.File("ge.z64");
  const std::string output = dir.File("ge_rand.z64");
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  const ByteBuffer inputBytes = image_builder::BuildImage(options).bytes;
  const ByteBuffer firstRunsBytes = {0x80, 0x37, 0x12, 0x40, 1, 2, 3, 4};
  WriteBinaryFile(input, inputBytes);
  WriteBinaryFile(output, firstRunsBytes);

  {
    // The first run's ROM object holds its copy open until its key press.
    MappedRomFile firstRun;
    ASSERT_TRUE(firstRun.LoadFile(output));
    const ProgramRun run = RunProgram(tool, {input});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(ErrorLines(run.output),
              std::vector<std::string>{"ERROR Failed creating copy of ROM!"});
  }
  EXPECT_EQ(ReadBinaryFile(output), firstRunsBytes);
  EXPECT_EQ(ReadBinaryFile(input), inputBytes);
  // No processing began, so the configuration was neither read nor written.
  EXPECT_FALSE(std::filesystem::exists(dir.File("Velmo.ini")));

  // Once the file is free, the same run goes through.
  const ProgramRun again = RunProgram(tool, {input});
  EXPECT_EQ(again.exitStatus, 0);
  EXPECT_TRUE(ErrorLines(again.output).empty()) << again.output;
  const std::vector<std::string> lines = SplitLines(again.output);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "SUCCESS ROM has been successfully randomised :)");
  EXPECT_EQ(ReadBinaryFile(output).size(), inputBytes.size());
  EXPECT_EQ(ReadBinaryFile(input), inputBytes);
  EXPECT_NE(testing::ReadTextFile(dir.File("Velmo.ini")).find("RandomisedROMs=1\n"),
            std::string::npos);
}

}  // namespace
}  // namespace velmo
