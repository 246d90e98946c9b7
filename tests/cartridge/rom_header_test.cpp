#include "cartridge/rom_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "cartridge/mapped_rom_file.h"
#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "support/buffer_words.h"

namespace velmo {
namespace {

using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteBinaryFile;

constexpr const char* kPaddedName = "GOLDENEYE           ";  // 20 bytes, space-padded

// A header image: big-endian marker, checksum words, internal name at 0x20,
// game code at 0x3B with a zero version byte, then zero filler.
ByteBuffer MakeHeaderImage(const std::string& name = kPaddedName,
                           const std::string& gameCode = "NGEE") {
  ByteBuffer image(0x1000, 0);
  StoreBigEndian32(image.data(), 0x80371240);
  StoreBigEndian32(image.data() + 0x10, 0x0012ABCD);
  StoreBigEndian32(image.data() + 0x14, 0xDC6D1D2F);
  std::memcpy(image.data() + 0x20, name.data(), std::min<std::size_t>(name.size(), 20));
  std::memcpy(image.data() + 0x3B, gameCode.data(), std::min<std::size_t>(gameCode.size(), 5));
  return image;
}

// The six values of the report, each with its colour, in order (the red
// ERROR word of a refusal comes after them and is left out).
std::vector<std::pair<std::uint16_t, std::string>> ColouredValues(const RecordingConsole& console) {
  std::vector<std::pair<std::uint16_t, std::string>> values;
  for (const auto& piece : console.Pieces()) {
    if (values.size() == 6) break;
    if (piece.attribute != kColourDefault) values.emplace_back(piece.attribute, piece.text);
  }
  return values;
}

class RomHeaderTest : public ::testing::Test {
 protected:
  // Maps the image and runs the header step on it.
  bool Process(const ByteBuffer& image) {
    const std::string path = dir.File("header.z64");
    WriteBinaryFile(path, image);
    MappedRomFile file;
    if (!file.LoadFile(path)) {
      ADD_FAILURE() << "could not map the test image";
      return false;
    }
    return ProcessROMHeader(file);
  }

  TempDir dir;
  RecordingConsole console;
};

TEST_F(RomHeaderTest, CorrectImageIsReportedAllGreenAndAccepted) {
  EXPECT_TRUE(Process(MakeHeaderImage()));
  EXPECT_EQ(console.Text(),
            "INFO Size of file [4096] bytes CRC [0012abcd] [dc6d1d2f]\n"
            "INFO Byteswapped [No] ROM Identifier [GOLDENEYE           ] Game code [NGEE]\n");
  using V = std::pair<std::uint16_t, std::string>;
  EXPECT_EQ(ColouredValues(console), (std::vector<V>{{kColourWhite, "4096"},
                                                     {kColourWhite, "0012abcd"},
                                                     {kColourWhite, "dc6d1d2f"},
                                                     {kColourGreen, "No"},
                                                     {kColourGreen, kPaddedName},
                                                     {kColourGreen, "NGEE"}}));
  EXPECT_EQ(console.CurrentAttribute(), kColourDefault);
}

TEST_F(RomHeaderTest, ImageThatCannotBeMappedIsRefusedForThatAlone) {
  MappedRomFile unmappable;  // never loaded: every view of it fails
  EXPECT_FALSE(ProcessROMHeader(unmappable));
  EXPECT_EQ(console.Lines(), std::vector<std::string>{"ERROR ROM: Unable to map ROM"});
}

TEST_F(RomHeaderTest, AnyFirstByteFrom0x80To0x8FIsBigEndian) {
  ByteBuffer image = MakeHeaderImage();
  image[0] = 0x8F;
  EXPECT_TRUE(Process(image));
  EXPECT_TRUE(console.LinesStartingWith("ERROR ").empty());
}

TEST_F(RomHeaderTest, ByteSwappedImageIsRefusedWithOnlyThatLine) {
  // The byte-swapped form of the correct header: every pair of bytes exchanged.
  ByteBuffer image = MakeHeaderImage();
  for (std::size_t i = 0; i + 1 < image.size(); i += 2) std::swap(image[i], image[i + 1]);
  EXPECT_FALSE(Process(image));
  const auto lines = console.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "INFO Size of file [4096] bytes CRC [1200cdab] [6ddc2f1d]");
  EXPECT_EQ(lines[1], "INFO Byteswapped [YES!] ROM Identifier [OGDLNEYE E          ] Game code []");
  EXPECT_EQ(lines[2], "ERROR Unable to use byteswapped ROM!");
  const auto values = ColouredValues(console);
  ASSERT_EQ(values.size(), 6u);
  EXPECT_EQ(values[3], (std::pair<std::uint16_t, std::string>{kColourRed, "YES!"}));
  EXPECT_EQ(values[4].first, kColourRed);
  EXPECT_EQ(values[5].first, kColourRed);
}

// The game's three cartridges are taken, each code shown green, and the two
// other regions named on a line of their own; any other code is refused.
TEST_F(RomHeaderTest, TakesTheThreeRegionsOfTheGameOnly) {
  const struct {
    const char* gameCode;
    bool accepted;
    std::vector<std::string> linesAfterReport;
  } kCodes[] = {
      {"NGEE", true, {}},
      {"NGEP", true, {"INFO ProcessROMHeader(): European (PAL) image"}},
      {"NGEJ", true, {"INFO ProcessROMHeader(): Japanese image"}},
      {"NGEU", false, {"ERROR This doesn't appear to be the NTSC Goldeneye ROM!"}},
      {"NGE", false, {"ERROR This doesn't appear to be the NTSC Goldeneye ROM!"}},
  };
  for (const auto& code : kCodes) {
    SCOPED_TRACE(code.gameCode);
    console.Clear();
    EXPECT_EQ(Process(MakeHeaderImage(kPaddedName, code.gameCode)), code.accepted);
    const auto lines = console.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()), code.linesAfterReport);
    const auto values = ColouredValues(console);
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(values[4].first, kColourGreen);
    EXPECT_EQ(values[5], (std::pair<std::uint16_t, std::string>{
                             code.accepted ? kColourGreen : kColourRed, code.gameCode}));
  }
}

TEST_F(RomHeaderTest, NonZeroVersionByteIsRefusedAsNotNtsc) {
  ByteBuffer image = MakeHeaderImage();
  image[0x3F] = 0x01;
  EXPECT_FALSE(Process(image));
  EXPECT_NE(console.Text().find("Game code [NGEE\x01]\n"), std::string::npos);
  EXPECT_EQ(console.LinesStartingWith("ERROR "),
            std::vector<std::string>{"ERROR This doesn't appear to be the NTSC Goldeneye ROM!"});
}

TEST_F(RomHeaderTest, GolNameWithoutGoldeneyeIsShownRedButAccepted) {
  EXPECT_TRUE(Process(MakeHeaderImage("GOLF")));
  EXPECT_TRUE(console.LinesStartingWith("ERROR ").empty());
  using V = std::pair<std::uint16_t, std::string>;
  const auto values = ColouredValues(console);
  ASSERT_EQ(values.size(), 6u);
  EXPECT_EQ(values[3], (V{kColourGreen, "No"}));
  EXPECT_EQ(values[4], (V{kColourRed, "GOLF"}));
  EXPECT_EQ(values[5], (V{kColourRed, "NGEE"}));
}

TEST_F(RomHeaderTest, NameNotBeginningWithGolIsRefused) {
  for (const std::string name : {"GO", "", "GOODENEYE", "XGOLDENEYE"}) {
    SCOPED_TRACE(name);
    console.Clear();
    EXPECT_FALSE(Process(MakeHeaderImage(name)));
    EXPECT_EQ(console.LinesStartingWith("ERROR "),
              std::vector<std::string>{"ERROR This doesn't appear to be the Goldeneye ROM!"});
  }
}

}  // namespace
}  // namespace velmo
