// The real executable on a full disk and ended by SIGKILL: the user's files
// (the input image, an older output, the emulator database, the
// configuration, the spoiler log) are each left as they were or complete,
// never half-written.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <filesystem>

#include "emulator/rdb_update.h"
#include "harness/child_process.h"
#include "harness/cramped_folder.h"
#include "harness/program_run.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"
#include "support/buffer_words.h"
#include "support/number_text.h"

namespace velmo {
namespace {

using testing::ChildRun;
using testing::CrampedFolder;
using testing::ReadBinaryFile;
using testing::ReadTextFile;
using testing::RunChild;
using testing::WriteBinaryFile;
using testing::WriteTextFile;

constexpr std::uint64_t kPage = 4096;
const std::string kDatabase = "[Existing]\nGood Name=Other\n";
const std::string kSuccessLine = "SUCCESS ROM has been successfully randomised :)";

std::vector<std::string> Lines(const std::string& text, const std::string& start = "") {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
    if (text.compare(from, start.size(), start) == 0)
      lines.push_back(text.substr(from, end - from));
  }
  return lines;
}

testing::ChildOptions WithFileSizeLimit(std::uint64_t limit) {
  testing::ChildOptions options;
  options.fileSizeLimit = limit;
  return options;
}

testing::ChildOptions OnTerminalKilledAt(const std::string& outputText) {
  testing::ChildOptions options;
  options.onTerminal = true;
  options.killWhenOutputHas = outputText;
  return options;
}

std::string LastLine(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  return lines.empty() ? std::string() : lines.back();
}

// Velmo on a small synthetic image in a folder of the test's own.
class RealRun : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo = testing::VelmoBinaryPath();
    ASSERT_FALSE(velmo.empty()) << "VELMO_BINARY is not set";
    image_builder::ImageOptions options;
    options.layout = image_builder::Layout::kSmall;
    image = image_builder::BuildImage(options).bytes;
    WriteBinaryFile(input, image);
  }

  // Velmo started as link: its configuration is the file beside the link.
  std::string LinkVelmo(const std::string& link) const {
    std::filesystem::create_symlink(velmo, link);
    return link;
  }

  testing::TempDir dir;
  std::string velmo;
  ByteBuffer image;
  std::string input = dir.File("ge.z64");
};

TEST_F(RealRun, CopyThatRunsOutOfRoomLeavesNoPartialFileAndTheOlderOutput) {
  const std::uint64_t size = image.size();
  CrampedFolder roms(dir.Path() / "roms", size + size / 2 + 16 * kPage);
  std::filesystem::create_symlink(input, roms.File("ge.z64"));
  const ByteBuffer olderOutput(size, 0x5A);
  WriteBinaryFile(roms.File("ge_rand.z64"), olderOutput);
  const std::uint64_t limit = roms.Restrict(size / 2, size / 2);

  const ChildRun run =
      RunChild(LinkVelmo(dir.File("Velmo")), {roms.File("ge.z64")}, WithFileSizeLimit(limit));
  EXPECT_EQ(Lines(run.output, "ERROR "),
            std::vector<std::string>{"ERROR Failed creating copy of ROM!"});
  EXPECT_EQ(roms.FileNames(), (std::vector<std::string>{"ge.z64", "ge_rand.z64"}));
  EXPECT_EQ(ReadBinaryFile(roms.File("ge_rand.z64")), olderOutput);
  EXPECT_EQ(ReadBinaryFile(input), image);
}

TEST_F(RealRun, SpoilerLogThatRunsOutOfRoomLeavesNoFileAndTheRunSucceeds) {
  const std::uint64_t size = image.size();
  CrampedFolder roms(dir.Path() / "roms", size + 16 * kPage);
  if (!roms.OnTmpfs()) {
    GTEST_SKIP() << "a file-size limit that lets the image copy through cannot stop a spoiler "
                    "log of two pages; run as root for a tmpfs";
  }
  std::filesystem::create_symlink(input, roms.File("ge.z64"));
  // Room for the copy and one page: the log of the small image needs two.
  roms.Restrict(size + kPage, 0);

  const ChildRun run = RunChild(LinkVelmo(dir.File("Velmo")), {roms.File("ge.z64")}, {});
  EXPECT_EQ(Lines(run.output, "ERROR "),
            std::vector<std::string>{"ERROR ROM::WriteSpoilerLog(): Unable to write spoiler log [" +
                                     roms.File("ge_rand_spoiler.txt") + "]!"});
  EXPECT_EQ(LastLine(run.output), kSuccessLine);
  EXPECT_EQ(roms.FileNames(), (std::vector<std::string>{"ge.z64", "ge_rand.z64"}));
}

struct DatabaseRoom {
  const char* name;
  std::uint64_t room;  // what the disk still takes of the new section
  const char* entryOption = "";
};

void PrintTo(const DatabaseRoom& room, std::ostream* out) {
  *out << room.name;
}

class DatabaseOnAFullDisk : public RealRun, public ::testing::WithParamInterface<DatabaseRoom> {};

TEST_P(DatabaseOnAFullDisk, FailedAppendIsTakenBackAndReported) {
  // Longer than the image, so that a file-size limit lets the copy through.
  const std::uint64_t length = (image.size() / kPage + 2) * kPage - GetParam().room;
  CrampedFolder pj64(dir.Path() / "pj64", length + 16 * kPage);
  const std::string rdb = pj64.File("Project64.rdb");
  std::string database = kDatabase + std::string(length - kDatabase.size() - 1, ';') + "\n";
  WriteTextFile(rdb, database);
  WriteTextFile(dir.File("Velmo.ini"),
                "UpdatePJ64=1\nPJ64RDBFile=" + rdb + "\n" + GetParam().entryOption);
  const std::uint64_t limit = pj64.Restrict(0, length + GetParam().room);

  const ChildRun run = RunChild(LinkVelmo(dir.File("Velmo")), {input}, WithFileSizeLimit(limit));
  EXPECT_EQ(Lines(run.output, "ERROR "),
            std::vector<std::string>{"ERROR ROM::UpdateRDB(): Failed writing to [" + rdb +
                                     "] PJ64 RDB file, it is left as it was!"});
  EXPECT_TRUE(Lines(run.output, "SUCCESS ROM::UpdateRDB()").empty());
  EXPECT_EQ(LastLine(run.output), kSuccessLine);
  // Too long to be shown when it differs.
  EXPECT_TRUE(ReadTextFile(rdb) == database) << "the database changed";
  EXPECT_EQ(pj64.FileNames(), std::vector<std::string>{"Project64.rdb"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatabaseOnAFullDisk,
    ::testing::Values(DatabaseRoom{"PartOfTheSection", 100}, DatabaseRoom{"NoRoomAtAll", 0},
                      // The game entry is 56 bytes long.
                      DatabaseRoom{"PartOfTheGameEntry", 20, "PJ64GameEntry=1\n"},
                      DatabaseRoom{"NoRoomForTheGameEntry", 0, "PJ64GameEntry=\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RealRun, ConfigurationSaveThatRunsOutOfRoomKeepsTheOldFile) {
  // Longer than the image and a page, so that either restriction stops it.
  const std::string config =
      "# Velmo's options\nUpdatePJ64=0\nNotes=" + std::string(image.size() + 2 * kPage, 'x') +
      "\nRandomisedROMs=4\n";
  CrampedFolder home(dir.Path() / "velmo", config.size() + 16 * kPage);
  WriteTextFile(home.File("Velmo.ini"), config);
  const std::string tool = LinkVelmo(home.File("Velmo"));
  const std::uint64_t limit = home.Restrict(kPage, image.size() + kPage);

  const ChildRun run = RunChild(tool, {input}, WithFileSizeLimit(limit));
  EXPECT_EQ(LastLine(run.output), kSuccessLine);
  EXPECT_TRUE(ReadTextFile(home.File("Velmo.ini")) == config) << "the configuration changed";
  EXPECT_EQ(home.FileNames(), (std::vector<std::string>{"Velmo", "Velmo.ini"}));
}

struct KillPoint {
  const char* name;
  const char* outputText;  // the run is killed once it has printed this
};

void PrintTo(const KillPoint& point, std::ostream* out) {
  *out << point.name;
}

class KilledRun : public RealRun, public ::testing::WithParamInterface<KillPoint> {};

TEST_P(KilledRun, LeavesEachUserFileUntouchedOrComplete) {
  const std::string rdb = dir.File("Project64.rdb");
  const std::string settings = "UpdatePJ64=1\nPJ64RDBFile=" + rdb + "\n";
  const std::string config = "# Velmo's options\n" + settings + "RandomisedROMs=4\n";
  WriteTextFile(dir.File("Velmo.ini"), config);
  WriteTextFile(rdb, kDatabase);

  const ChildRun run =
      RunChild(LinkVelmo(dir.File("Velmo")), {input}, OnTerminalKilledAt(GetParam().outputText));
  ASSERT_TRUE(run.killed) << run.output;
  EXPECT_EQ(ReadBinaryFile(input), image);
  const std::string configAfter = ReadTextFile(dir.File("Velmo.ini"));
  EXPECT_TRUE(configAfter == config || configAfter == settings + "RandomisedROMs=5\n")
      << configAfter;
  // A database entry is complete only with the checksum the image ended with.
  const ByteBuffer output = ReadBinaryFile(dir.File("ge_rand.z64"));
  const std::string section = output.size() < 0x18
                                  ? ""
                                  : BuildRdbSection(ToUpperHexText(LoadBigEndian32(&output[0x10])),
                                                    ToUpperHexText(LoadBigEndian32(&output[0x14])));
  const std::string rdbAfter = ReadTextFile(rdb);
  EXPECT_TRUE(rdbAfter == kDatabase || rdbAfter == kDatabase + section) << rdbAfter;
}

INSTANTIATE_TEST_SUITE_P(Points, KilledRun,
                         ::testing::Values(KillPoint{"RightAfterTheCopy", "Size of file ["},
                                           KillPoint{"InTheLevelLoop", "Inspecting Dam... "},
                                           KillPoint{"AtTheKeyPrompt",
                                                     "Press any key to continue"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RealRun, CopyOfARunKilledInTheLevelLoopIsRemovedByTheNextRun) {
  const ByteBuffer olderOutput(image.size(), 0x5A);
  const std::string output = dir.File("ge_rand.z64");
  WriteBinaryFile(output, olderOutput);
  const std::string tool = LinkVelmo(dir.File("Velmo"));
  const auto leftovers = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("ge_rand.z64.") && name.ends_with(".tmp")) names.push_back(name);
    }
    return names;
  };

  const ChildRun killed = RunChild(tool, {input}, OnTerminalKilledAt("Inspecting Dam... "));
  ASSERT_TRUE(killed.killed) << killed.output;
  EXPECT_EQ(ReadBinaryFile(output), olderOutput);
  EXPECT_EQ(leftovers().size(), 1u);

  const ChildRun next = RunChild(tool, {input}, {});
  EXPECT_EQ(Lines(next.output, "INFO Removed "),
            std::vector<std::string>{"INFO Removed [1] unfinished file(s) of an earlier run"});
  EXPECT_EQ(LastLine(next.output), kSuccessLine);
  EXPECT_TRUE(leftovers().empty());
  EXPECT_EQ(ReadBinaryFile(output).size(), image.size());
  EXPECT_FALSE(ReadBinaryFile(output) == olderOutput);
}

}  // namespace
}  // namespace velmo

#else

TEST(UserFiles, NeedPosix) {
  GTEST_SKIP() << "full disks come from a tmpfs or RLIMIT_FSIZE, and the kills from SIGKILL "
                  "and a pseudo-terminal: POSIX only";
}

#endif
