#include "rom/rom_verification.h"

#include <gtest/gtest.h>

#include <functional>

#include "assets/file_table.h"
#include "assets/table_write_back.h"
#include "cartridge/checksum.h"
#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"
#include "randomise/random_source.h"
#include "randomise/randomiser_switches.h"
#include "rom/level_loop.h"
#include "support/buffer_words.h"
#include "support/codec.h"
#include "support/config_file.h"
#include "support/number_text.h"

namespace velmo {
namespace {

using testing::RecordingConsole;
using testing::TempDir;

// A small synthetic image taken through every step that writes it, with what
// the run keeps to check it against.
struct RandomisedImage {
  RandomisedImage() {
    RecordingConsole quiet;
    TempDir dir;
    const ConfigFile config(dir.File("Velmo.ini"));
    ClassicRandom random(77);
    std::vector<LevelReport> reports;
    image_builder::ImageOptions options;
    options.layout = image_builder::Layout::kSmall;
    image = image_builder::BuildImage(options).bytes;
    const bool written = Load21990Data(image, table) &&
                         ProcessFileTable(table, image.size(), files) &&
                         StripOutJapaneseText(image, table, config, banks) &&
                         ProcessROM(image, files, RandomiserSwitches{}, config, random, reports) &&
                         WriteUpdatedSetups(image, files, table, LowestKeptBankOffset(table));
    EXPECT_TRUE(written && RewriteTable());
  }

  // Puts the table into the image again, with a matching header checksum.
  bool RewriteTable() {
    if (!WriteUpdated21990(image, table, written)) return false;
    checksum = ComputeHeaderChecksum(image);
    StoreBigEndian32(image.data() + kCrc1Offset, checksum.crc1);
    StoreBigEndian32(image.data() + kCrc2Offset, checksum.crc2);
    return true;
  }

  std::uint32_t Offset(std::size_t file) const {
    return GetDWORDFromOffset(table, files[file].tablePosition);
  }
  std::string Name(std::size_t file) const { return GetLevelName(files[file].levelId); }
  std::string SetupText(std::size_t file, std::uint32_t offset) const {
    return "Setup file of [" + Name(file) + "] at offset [" + ToHexText(offset) + "]";
  }

  IntendedImage Intended() const { return {table, written, files, banks, checksum}; }

  ByteBuffer image;
  ByteBuffer table;
  WrittenTableBlock written;
  HeaderChecksum checksum;
  std::vector<SetupFileEntry> files;
  std::vector<MovedTextBank> banks;
};

struct VerificationCase {
  const char* name;
  // Damages the image or what was kept of it; gives the difference's line.
  std::function<std::string(RandomisedImage&)> damage;
};

void PrintTo(const VerificationCase& c, std::ostream* out) {
  *out << c.name;
}

class Verification : public ::testing::TestWithParam<VerificationCase> {};

TEST_P(Verification, ReportsTheFirstDifferenceOnly) {
  static const RandomisedImage kIntact;
  RandomisedImage run = kIntact;
  std::string difference;
  {
    RecordingConsole quiet;
    difference = GetParam().damage(run);
  }
  RecordingConsole console;
  EXPECT_EQ(VerifyRandomisedROM(run.image, run.Intended()), difference.empty());
  const std::string prefix = "ERROR ROM::VerifyRandomisedROM(): ";
  EXPECT_EQ(console.LinesStartingWith("ERROR "),
            difference.empty() ? std::vector<std::string>{}
                               : std::vector<std::string>{prefix + difference});
  if (difference.empty()) {
    EXPECT_EQ(console.Text(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Verification,
    ::testing::Values(
        VerificationCase{"Intact", [](RandomisedImage&) { return std::string(); }},
        VerificationCase{"OtherWholeBlockOfTheSameTable",
                         [](RandomisedImage& run) {
                           // Not the bytes written, so it is inflated, and it holds the table.
                           ByteBuffer other;
                           EXPECT_TRUE(CompressData(run.table, other, 9));
                           EXPECT_NE(other, run.written.block);
                           auto space = run.image.begin() + 0x21990;
                           std::fill(space, space + 0x11BFF, 0);
                           std::copy(other.begin(), other.end(), space);
                           return std::string();
                         }},
        VerificationCase{"TableInMemoryDiffers",
                         [](RandomisedImage& run) {
                           run.table[0x1234] ^= 1;
                           return "File table block at [00021990] differs from the table at "
                                  "table position [00001234]";
                         }},
        VerificationCase{"FillerAfterTheTableBlock",
                         [](RandomisedImage& run) {
                           run.image[0x21990 + 0x11BFE] = 1;
                           return "Space after the file table block is not zero at offset "
                                  "[0003358e]";
                         }},
        VerificationCase{"TwoFilesAtOneOffset",
                         [](RandomisedImage& run) {
                           SetDWORDToffset(run.table, run.files[4].tablePosition, run.Offset(3));
                           run.RewriteTable();
                           return run.SetupText(4, run.Offset(3)) +
                                  " starts where the setup file of [" + run.Name(3) + "] starts";
                         }},
        VerificationCase{"LastFileInTheText",
                         [](RandomisedImage& run) {
                           const std::uint32_t text = LowestKeptBankOffset(run.table);
                           SetDWORDToffset(run.table, run.files[20].tablePosition, text);
                           run.RewriteTable();
                           return run.SetupText(20, text) +
                                  " lies at or beyond the text banks at [" + ToHexText(text) + "]";
                         }},
        VerificationCase{"RandomisedBytesDiffer",
                         [](RandomisedImage& run) {
                           // A complete stream of other bytes where the file was written.
                           ByteBuffer plain;
                           ByteBuffer other;
                           EXPECT_TRUE(DecompressData(run.files[9].setupData, plain));
                           plain[plain.size() / 2] ^= 1;
                           CompressData(plain, other, run.files[9].memLevel);
                           std::copy(other.begin(), other.end(), run.image.begin() + run.Offset(9));
                           return run.SetupText(9, run.Offset(9)) +
                                  " does not inflate to its randomised bytes";
                         }},
        VerificationCase{"TextBankLengthDiffers",
                         [](RandomisedImage& run) {
                           MovedTextBank& bank = run.banks[43];
                           bank.length += 1;
                           return "English text bank at table position [000274bc] runs from [" +
                                  ToHexText(GetDWORDFromOffset(run.table, bank.keptPosition)) +
                                  "] to [008f7de0] instead of [" + DecimalText(bank.length) +
                                  "] bytes";
                         }},
        VerificationCase{"TextBankBytesDiffer",
                         [](RandomisedImage& run) {
                           const std::uint32_t bank = GetDWORDFromOffset(run.table, 0x270B4);
                           run.image[bank] ^= 0x40;
                           return "English text bank at table position [000270b4] does not hold "
                                  "its text at offset [" +
                                  ToHexText(bank) + "]";
                         }},
        VerificationCase{"StaleChecksumWord",
                         [](RandomisedImage& run) {
                           const HeaderChecksum fresh = run.checksum;
                           run.image[0x17] ^= 0xFF;
                           return "Header checksum [" + ToUpperHexText(fresh.crc1) + "-" +
                                  ToUpperHexText(fresh.crc2 ^ 0xFF) +
                                  "] at [00000010] differs from the one computed for the image [" +
                                  ToUpperHexText(fresh.crc1) + "-" + ToUpperHexText(fresh.crc2) +
                                  "]";
                         }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmo
