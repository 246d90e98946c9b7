// The files players have: images in each byte order, archives, a dump of odd
// length and Velmo's own output, each through a whole run.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "harness/image_runner.h"
#include "tools/built_images.h"

namespace velmo {
namespace {

using testing::ImageRunner;
using testing::RunResult;

constexpr std::uint32_t kSeed = 4242;
const std::string kConvert = "ConvertByteOrder=1\n";
const std::string kHeaderFailed = "ERROR LoadInROM(): Failed processing ROM header";
const std::string kDriverFailed =
    "ERROR Something went wrong during randomising and the ROM may not work as expected :(";
const std::string kSeedLine = "ERROR Error provoking seed was 4242";

const ByteBuffer& SmallImage() {
  return testing::CachedImage(image_builder::Layout::kSmall).bytes;
}

ByteBuffer PairsSwapped(ByteBuffer image) {
  for (std::size_t i = 0; i + 1 < image.size(); i += 2) std::swap(image[i], image[i + 1]);
  return image;
}

ByteBuffer WordsReversed(ByteBuffer image) {
  for (std::size_t i = 0; i + 3 < image.size(); i += 4) std::reverse(&image[i], &image[i + 4]);
  return image;
}

std::vector<std::string> Errors(const RunResult& run) {
  std::vector<std::string> errors;
  std::copy_if(run.log.begin(), run.log.end(), std::back_inserter(errors),
               [](const std::string& line) { return line.rfind("ERROR ", 0) == 0; });
  return errors;
}

// The spoiler log without its lines naming the files, which lie in each
// run's own folder.
std::string WithoutPathLines(std::string spoiler) {
  for (const char* start : {"Input image: ", "Output image: "}) {
    const std::size_t line = spoiler.find(start);
    if (line != std::string::npos) spoiler.erase(line, spoiler.find('\n', line) + 1 - line);
  }
  return spoiler;
}

struct Dump {
  const char* extension;
  ByteBuffer (*reorder)(ByteBuffer);
  const char* orderName;  // in the conversion's INFO line; null for big-endian
};

TEST(ByteOrders, EveryOrderMakesTheGameOfTheBigEndianImage) {
  const Dump kDumps[] = {
      {".z64", [](ByteBuffer image) { return image; }, nullptr},
      {".v64", PairsSwapped, "byte-swapped (.v64)"},
      {".n64", WordsReversed, "little-endian (.n64)"},
  };
  std::vector<RunResult> runs;
  for (const Dump& dump : kDumps) {
    SCOPED_TRACE(dump.extension);
    ImageRunner image(dump.reorder(SmallImage()), std::string("goldeneye") + dump.extension);
    runs.push_back(image.Run(kSeed, kConvert));
    const RunResult& run = runs.back();
    EXPECT_EQ(run.log.back(), "SUCCESS ROM has been successfully randomised :)");
    EXPECT_EQ(image.FileNames(),
              (std::vector<std::string>{"Project64.rdb", "Velmo.ini",
                                        std::string("goldeneye") + dump.extension,
                                        "goldeneye_rand.z64", "goldeneye_rand_spoiler.txt"}));
    std::vector<std::string> conversions;
    std::copy_if(run.log.begin(), run.log.end(), std::back_inserter(conversions),
                 [](const std::string& line) { return line.find("Converted the") != line.npos; });
    EXPECT_EQ(conversions,
              dump.orderName == nullptr
                  ? std::vector<std::string>{}
                  : std::vector<std::string>{"INFO ROM::ProcessROMHeader(): Converted the [" +
                                             std::string(dump.orderName) +
                                             "] image to big-endian order, to be saved as [" +
                                             image.OutputPath() + "]"});
    ASSERT_TRUE(run.spoiler);
    EXPECT_NE(run.spoiler->find("Input image: " + image.InputPath() +
                                "\nOutput image: " + image.OutputPath() + "\n"),
              std::string::npos);
  }
  for (std::size_t i = 1; i < runs.size(); ++i) {
    EXPECT_TRUE(runs[i].output == runs[0].output) << kDumps[i].extension;
    EXPECT_EQ(runs[i].rdb, runs[0].rdb);
    EXPECT_TRUE(WithoutPathLines(*runs[i].spoiler) == WithoutPathLines(*runs[0].spoiler));
  }
}

TEST(ByteOrders, WithoutTheKeyOtherOrdersAreRefusedAsBefore) {
  for (const auto& [value, refused] : {std::pair{"", true}, std::pair{"ConvertByteOrder=0\n", true},
                                       std::pair{"ConvertByteOrder=\n", false}}) {
    SCOPED_TRACE(value);
    ImageRunner image(PairsSwapped(SmallImage()), "goldeneye.v64");
    const RunResult run = image.Run(kSeed, value);
    if (!refused) {
      EXPECT_EQ(run.log.back(), "SUCCESS ROM has been successfully randomised :)");
      continue;
    }
    EXPECT_EQ(Errors(run), (std::vector<std::string>{"ERROR Unable to use byteswapped ROM!",
                                                     kHeaderFailed, kDriverFailed, kSeedLine}));
    EXPECT_EQ(image.FileNames(),
              (std::vector<std::string>{"Project64.rdb", "Velmo.ini", "goldeneye.v64"}));
  }
}

TEST(NotAnImage, ArchivesAreNamedAndRefusedWithOrWithoutTheKey) {
  // Each kind of archive and the bytes it starts with.
  const std::pair<std::string, std::string> kArchives[] = {
      {"zip", "\x50\x4B\x03\x04"},
      {"7z", "\x37\x7A\xBC\xAF\x27\x1C"},
      {"gzip", "\x1F\x8B"},
      {"rar", "\x52\x61\x72\x21"},
  };
  for (const auto& [kind, start] : kArchives) {
    for (const std::string& config : {std::string(), kConvert}) {
      SCOPED_TRACE(kind + " " + config);
      ByteBuffer file = SmallImage();
      std::copy(start.begin(), start.end(), file.begin());
      ImageRunner image(file, "goldeneye.zip");
      const RunResult run = image.Run(kSeed, config);
      EXPECT_EQ(Errors(run),
                (std::vector<std::string>{
                    "ERROR ROM::ProcessROMHeader(): [" + image.InputPath() + "] is a [" + kind +
                        "] archive, not a cartridge image: unpack it and give Velmo the .z64 "
                        "file inside",
                    kHeaderFailed, kDriverFailed, kSeedLine}));
      EXPECT_EQ(image.FileNames(),
                (std::vector<std::string>{"Project64.rdb", "Velmo.ini", "goldeneye.zip"}));
    }
  }
}

TEST(NotAnImage, OddLengthAndVelmosOwnOutputAreRefusedWithTheirLines) {
  ByteBuffer oddLength = PairsSwapped(SmallImage());
  oddLength.push_back(0);
  ImageRunner odd(oddLength, "goldeneye.v64");
  EXPECT_EQ(Errors(odd.Run(kSeed, kConvert)),
            (std::vector<std::string>{"ERROR ROM::ProcessROMHeader(): Image length [" +
                                          std::to_string(oddLength.size()) +
                                          "] is not a whole number of 32-bit words",
                                      kHeaderFailed, kDriverFailed, kSeedLine}));

  const RunResult first = ImageRunner(SmallImage()).Run(kSeed, kConvert);
  ASSERT_EQ(first.log.back(), "SUCCESS ROM has been successfully randomised :)");
  ImageRunner again(first.output, "goldeneye.z64");
  const RunResult second = again.Run(kSeed, kConvert);
  EXPECT_EQ(Errors(second),
            (std::vector<std::string>{
                "ERROR StripOutJapaneseText(): First entry in InStageText collection was not what "
                "was expected!",
                "ERROR StripOutJapaneseText(): This image has already been randomised; give Velmo "
                "your original image",
                "ERROR LoadInROM(): Failed to strip out redundant Japanese data", kDriverFailed,
                kSeedLine}));
  EXPECT_EQ(again.FileNames(),
            (std::vector<std::string>{"Project64.rdb", "Velmo.ini", "goldeneye.z64"}));
}

}  // namespace
}  // namespace velmo
