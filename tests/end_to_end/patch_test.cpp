// Races whose spoiler nobody may see: the organiser's run writes a BPS patch,
// and Velmo makes that game from it and each racer's own image, in any byte
// order, without learning the seed.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "app/driver.h"
#include "harness/dump_forms.h"
#include "harness/image_runner.h"
#include "harness/recording_console.h"
#include "patch/bps_patch_reader.h"
#include "rom/game_hash.h"
#include "support/number_text.h"
#include "tools/built_images.h"

namespace velmo {
namespace {

using testing::ReadBinaryFile;
using testing::ReadTextFile;
using testing::TempDir;
using testing::WriteBinaryFile;
using testing::WriteTextFile;

const ByteBuffer& SmallImage(std::uint64_t seed = 7) {
  return testing::CachedImage(image_builder::Layout::kSmall, image_builder::ImageFault::kNone, seed)
      .bytes;
}

// The organiser's run, once: its game and the patch written beside it.
struct OrganisersRun {
  testing::RunResult result;
  ByteBuffer patch;
  std::string patchPath;
};

const OrganisersRun& Organiser() {
  static const OrganisersRun run = [] {
    testing::ImageRunner image(SmallImage());
    OrganisersRun made{image.Run(4242, "WritePatch=1\n"), {}, {}};
    made.patchPath = image.OutputPath().substr(0, image.OutputPath().rfind('.')) + ".bps";
    made.patch = ReadBinaryFile(made.patchPath);
    return made;
  }();
  return run;
}

// A racer's run: Velmo given the patch and an image, in that order.
struct RacersRun {
  std::vector<std::string> log;
  std::vector<std::string> files;
  std::string config;
  ByteBuffer game;
};

RacersRun ApplyAsARacer(const ByteBuffer& patch, const ByteBuffer& image) {
  TempDir dir;
  WriteBinaryFile(dir.File("race.bps"), patch);
  WriteBinaryFile(dir.File("mine.v64"), image);
  WriteTextFile(dir.File("Velmo.ini"), "RandomisedROMs=4\nUpdatePJ64=0\n");
  testing::RecordingConsole console;
  RunVelmo({dir.File("Velmo.exe"), dir.File("race.bps"), dir.File("mine.v64")}, [] { return 1u; });
  RacersRun run{console.Lines(), {}, ReadTextFile(dir.File("Velmo.ini")), {}};
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    run.files.push_back(entry.path().filename().string());
  }
  std::sort(run.files.begin(), run.files.end());
  if (std::filesystem::exists(dir.File("mine_rand.z64"))) {
    run.game = ReadBinaryFile(dir.File("mine_rand.z64"));
  }
  return run;
}

TEST(Patch, MakesTheOrganisersGameFromAnyDumpWithoutTheSeed) {
  const OrganisersRun& organiser = Organiser();
  const auto& log = organiser.result.log;
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "SUCCESS ROM::WritePatch(): Wrote patch [" + organiser.patchPath + "]"),
            log.end());
  const auto crc = static_cast<std::uint32_t>(
      crc32(0L, organiser.result.output.data(), static_cast<uInt>(organiser.result.output.size())));
  const std::string hashLine =
      "INFO Game hash [" + GameHashWords(crc) + "] (CRC-32 " + ToUpperHexText(crc) + ")";
  // The release and the hash, never the seed or the share code.
  const BpsApplyResult check = ApplyBpsPatch(organiser.patch, SmallImage());
  ASSERT_TRUE(check.applied) << check.error;
  EXPECT_EQ(check.header.metadata,
            "Velmo release " + std::to_string(testing::ReleaseOfInProcessRuns()) +
                "\nGame hash: " + GameHashWords(crc) + " (CRC-32 " + ToUpperHexText(crc) + ")\n");

  const RacersRun racer = ApplyAsARacer(organiser.patch, testing::ByteSwappedDump(SmallImage()));
  EXPECT_TRUE(racer.game == organiser.result.output);
  ASSERT_GE(racer.log.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(racer.log.end() - 2, racer.log.end()),
            (std::vector<std::string>{hashLine,
                                      "SUCCESS ROM has been successfully made from the patch :)"}));
  EXPECT_EQ(racer.files,
            (std::vector<std::string>{"Velmo.ini", "mine.v64", "mine_rand.z64", "race.bps"}));
  EXPECT_EQ(racer.config, "RandomisedROMs=5\nUpdatePJ64=0\n");
}

// Each fault gets its own plain line, and no game, no leftover and no count.
TEST(Patch, DamagedOrForeignPatchesMakeNothing) {
  const ByteBuffer& good = Organiser().patch;
  ByteBuffer flipped = good;
  flipped[flipped.size() / 2] ^= 0x01;
  const auto ownCrc = [](const ByteBuffer& patch) {
    return ToUpperHexText(
        static_cast<std::uint32_t>(crc32(0L, patch.data(), static_cast<uInt>(patch.size() - 4))));
  };
  const auto storedCrc = ToUpperHexText(static_cast<std::uint32_t>(
      good[good.size() - 4] | good[good.size() - 3] << 8 | good[good.size() - 2] << 16 |
      std::uint32_t{good[good.size() - 1]} << 24));
  const ByteBuffer& otherImage = SmallImage(8);
  const auto imageCrc = ToUpperHexText(static_cast<std::uint32_t>(
      crc32(0L, otherImage.data(), static_cast<uInt>(otherImage.size()))));
  const auto sourceCrc = ToUpperHexText(static_cast<std::uint32_t>(
      crc32(0L, SmallImage().data(), static_cast<uInt>(SmallImage().size()))));
  const struct {
    const char* name;
    ByteBuffer patch;
    ByteBuffer image;
    std::string line;
  } kCases[] = {
      {"AnotherImage", good, otherImage,
       "ERROR This patch was made for another image (CRC-32 " + sourceCrc + "); this image is " +
           imageCrc},
      {"FlippedByte", flipped, SmallImage(),
       "ERROR This patch is damaged: its CRC-32 is " + storedCrc + ", but its bytes give " +
           ownCrc(flipped)},
      {"CutShort", ByteBuffer(good.begin(), good.begin() + 14), SmallImage(),
       "ERROR This patch is cut short: 14 bytes are too few for a BPS patch"},
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.name);
    const RacersRun racer = ApplyAsARacer(test.patch, testing::ByteSwappedDump(test.image));
    ASSERT_GE(racer.log.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(racer.log.end() - 2, racer.log.end()),
              (std::vector<std::string>{test.line, "ERROR No ROM was made from the patch :("}));
    EXPECT_EQ(racer.files, (std::vector<std::string>{"Velmo.ini", "mine.v64", "race.bps"}));
    EXPECT_EQ(racer.config, "RandomisedROMs=4\nUpdatePJ64=0\n");
  }
}

}  // namespace
}  // namespace velmo
