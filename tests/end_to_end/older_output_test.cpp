// The real executable never costs the player a file: a refused or failed run
// leaves an older output byte for byte as it was and no file of its own, and
// what runs killed part-way left is cleared by the next run for the same
// output. Runs on the Linux build and on the Windows build under wine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "harness/program_run.h"
#include "harness/temp_dir.h"
#include "platform/file_mapping.h"
#include "tools/built_images.h"

namespace velmo {
namespace {

using image_builder::ImageFault;
using testing::ReadBinaryFile;
using testing::ReadTextFile;
using testing::WriteBinaryFile;

const std::string kSuccess = "SUCCESS ROM has been successfully randomised :)";
const std::string kCopyFailed = "ERROR Failed creating copy of ROM!";

bool HasLine(const std::string& output, const std::string& line) {
  return output.find(line + "\n") != std::string::npos;
}

class OlderOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string velmo = testing::VelmoBinaryPath();
    ASSERT_FALSE(velmo.empty()) << "VELMO_BINARY is not set";
    // A copy of the tool in the test's folder, so that its configuration is the test's.
    tool = dir.File(std::filesystem::path(velmo).filename().string());
    std::filesystem::copy_file(velmo, tool);
  }

  std::string Run(ImageFault fault) {
    WriteBinaryFile(input, testing::CachedImage(image_builder::Layout::kSmall, fault).bytes);
    return testing::RunProgram(tool, {input}).output;
  }

  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> AfterAGoodRun() const {
    std::vector<std::string> names = {std::filesystem::path(tool).filename().string(), "Velmo.ini",
                                      "ge.z64", "ge_rand.z64", "ge_rand_spoiler.txt"};
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir dir;
  std::string tool;
  std::string input = dir.File("ge.z64");
  std::string output = dir.File("ge_rand.z64");
};

TEST_F(OlderOutput, SurvivesARefusedAndAFailedRunByteForByte) {
  ASSERT_TRUE(HasLine(Run(ImageFault::kNone), kSuccess));
  const ByteBuffer game = ReadBinaryFile(output);
  const std::string spoiler = ReadTextFile(dir.File("ge_rand_spoiler.txt"));
  ASSERT_FALSE(game.empty());

  const struct {
    ImageFault fault;
    const char* failureLine;
  } kLaterRuns[] = {
      {ImageFault::kOtherRegion, "ERROR LoadInROM(): Failed to load 21990 data"},
      {ImageFault::kSetupDoesNotInflate, "ERROR LoadInROM(): Failed to randomise data"},
  };
  for (const auto& later : kLaterRuns) {
    SCOPED_TRACE(later.failureLine);
    EXPECT_TRUE(HasLine(Run(later.fault), later.failureLine));
    EXPECT_TRUE(ReadBinaryFile(output) == game) << "the older output changed";
    EXPECT_EQ(ReadTextFile(dir.File("ge_rand_spoiler.txt")), spoiler);
    EXPECT_EQ(FileNames(), AfterAGoodRun());
  }
}

TEST_F(OlderOutput, LeftoversOfEndedRunsAloneAreRemovedAndCounted) {
  // No process has this id: Linux ids stop below 2^31, Windows ids are
  // multiples of 4.
  const std::string ended = "ge_rand.z64.4000000001.0.tmp";
  const std::string running = "ge_rand.z64." + std::to_string(getpid()) + ".0.tmp";
  const std::vector<std::string> notLeftovers = {"ge_rand.z64.tmp", "ge_rand.z64.12.tmp",
                                                 "ge_rand.z64.12.x.tmp", "ge.z64.4000000001.0.tmp",
                                                 running};
  for (const std::string& name : notLeftovers) WriteBinaryFile(dir.File(name), {1, 2, 3});
  WriteBinaryFile(dir.File(ended), {1, 2, 3});

  const std::string log = Run(ImageFault::kNone);
  EXPECT_TRUE(HasLine(log, "INFO Removed [1] unfinished file(s) of an earlier run")) << log;
  EXPECT_TRUE(HasLine(log, kSuccess));
  EXPECT_FALSE(std::filesystem::exists(dir.File(ended)));
  for (const std::string& name : notLeftovers) {
    EXPECT_EQ(ReadBinaryFile(dir.File(name)), (ByteBuffer{1, 2, 3})) << name;
  }

  // Nothing left: the next run says nothing about leftovers.
  EXPECT_EQ(Run(ImageFault::kNone).find("unfinished file"), std::string::npos);
}

TEST_F(OlderOutput, AnOutputAnotherRunIsStillMakingIsRefused) {
  WriteBinaryFile(output, {9, 8, 7, 6});
  // What a running run holds: its own copy beside the output, opened without sharing.
  const std::string inProgress = dir.File("ge_rand.z64." + std::to_string(getpid()) + ".7.tmp");
  WriteBinaryFile(inProgress, {1, 2, 3, 4});
  const platform::FileHandle held = platform::OpenFileExclusive(inProgress);
  ASSERT_TRUE(held.IsValid());
  const std::string log = Run(ImageFault::kNone);
  platform::CloseFile(held);

  EXPECT_TRUE(HasLine(log, kCopyFailed)) << log;
  EXPECT_EQ(ReadBinaryFile(output), (ByteBuffer{9, 8, 7, 6}));
  EXPECT_EQ(ReadBinaryFile(inProgress), (ByteBuffer{1, 2, 3, 4}));
}

}  // namespace
}  // namespace velmo
