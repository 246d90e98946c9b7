// The whole pipeline, through the ROM object on an image file, for a patched
// synthetic image of one region (small layout, so that one run stays short).
// Input: four bytes of generator seed, one byte of options (bit 0: TRACE lines
// on, bit 1: update the emulator database, bits 2 and 3: the region, 0 for
// North America, 1 Europe, 2 Japan), then patches.
//
// Whatever the image, the run ends with at most one failing step; a refusal
// before the level loop leaves the copy byte for byte as it was; the
// configuration keeps its keys and counts only successful runs; the emulator
// database and the spoiler log are written only by a successful run; and a
// successful run leaves an image whose checksum words are right, whose table
// block inflates inside the room its region gives it without touching what
// follows, and whose setup files all inflate where the table says.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cartridge/address_function.h"
#include "cartridge/checksum.h"
#include "cartridge/region_layout.h"
#include "fuzz_support.h"
#include "harness/temp_dir.h"
#include "image_builder/image_layout.h"
#include "image_patches.h"
#include "level/level_catalogue.h"
#include "randomise/random_source.h"
#include "rom/rom.h"
#include "setup_entry_search.h"
#include "support/buffer_words.h"
#include "support/codec.h"
#include "synthetic_image.h"

using namespace velmo;

namespace {

// The pipeline's own failure lines of the steps that run before the level
// loop, which check everything before they change the image.
constexpr std::array kRefusalsBeforeChanges = {
    "ERROR LoadInROM(): Failed to load file!",
    "ERROR LoadInROM(): Failed processing ROM header",
    "ERROR LoadInROM(): Failed to load 21990 data",
    "ERROR LoadInROM(): Failed to process 21990 block",
    "ERROR LoadInROM(): Failed to strip out redundant Japanese data",
};
constexpr const char* kFinished = "INFO LoadInROM(): Finished processing ROM.";
// Every step's failure line starts so; a step's own reasons come before it.
constexpr const char* kStepFailure = "ERROR LoadInROM(): Failed ";
constexpr std::uint32_t kEntrySize = 12;
constexpr std::uint32_t kOffsetWord = 8;
// Bytes after the table block's room that a rewritten block must leave alone:
// the game's decompressor starts there.
constexpr std::uint32_t kGuardAfterRoom = 0x1000;

struct Workspace {
  testing::TempDir dir;
  std::string romPath = dir.File("ge_rand.z64");
  std::string configPath = dir.File("Velmo.ini");
  std::string rdbPath = dir.File("Project64.rdb");
  std::string spoilerPath = dir.File("ge_rand_spoiler.txt");
};

Workspace& GetWorkspace() {
  static Workspace workspace;
  return workspace;
}

std::size_t CountLines(const std::vector<std::string>& lines, const std::string& start) {
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(),
                    [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

bool RefusedBeforeChanges(const std::vector<std::string>& log) {
  return std::any_of(kRefusalsBeforeChanges.begin(), kRefusalsBeforeChanges.end(),
                     [&](const char* line) { return CountLines(log, line) != 0; });
}

std::string ConfigText(const Workspace& workspace, bool trace, bool updateDatabase) {
  return std::string(trace ? "TraceLogging=1\n" : "") +
         "UpdatePJ64=" + (updateDatabase ? "1" : "0") + "\nPJ64RDBFile=" + workspace.rdbPath +
         "\nRandomisedROMs=41\nUnknownKey=kept\n";
}

void CheckConfiguration(const Workspace& workspace, bool trace, bool updateDatabase,
                        bool succeeded) {
  std::string expected = ConfigText(workspace, trace, updateDatabase);
  if (succeeded) expected.replace(expected.find("=41"), 3, "=42");
  fuzz::Check(testing::ReadTextFile(workspace.configPath) == expected,
              "the configuration was not written back as expected");
}

// The table block's room: the region's fixed one, or up to the byte before
// the end the image's boot code names. None when the words are not a function
// of that form or name an end before the block's start.
std::optional<std::uint32_t> NamedRoom(std::span<const std::uint8_t> image,
                                       const fuzz::BaseImage& base) {
  const DataBlockLayout& block = base.region->dataBlock;
  if (block.fixedRoom) return block.fixedRoom;
  const std::optional<std::uint32_t> end = ReturnedAddress(image, kDataBlockEndFunction);
  if (!end) return std::nullopt;
  if (*end <= block.offset + 1) return std::nullopt;
  return *end - block.offset - 1;
}

// The randomised image boots and Velmo could read it again: right checksum
// words, a table block inside its room that inflates, the bytes after the
// room as they were, and setup files that inflate where the table says.
void CheckResult(const fuzz::BaseImage& base, std::span<const std::uint8_t> before,
                 std::span<const std::uint8_t> image) {
  fuzz::Check(image.size() >= kChecksummedImageSize && image.size() == before.size(),
              "a short image was randomised, or the image changed its length");
  const HeaderChecksum checksum = ComputeHeaderChecksum(image);
  fuzz::Check(LoadBigEndian32(&image[0x10]) == checksum.crc1 &&
                  LoadBigEndian32(&image[0x14]) == checksum.crc2,
              "the header checksum words are wrong");
  const std::optional<std::uint32_t> room = NamedRoom(image, base);
  const std::uint32_t blockOffset = base.region->dataBlock.offset;
  fuzz::Check(room.has_value() && blockOffset + std::uint64_t{*room} <= image.size(),
              "an image whose boot code names no room for the table block was randomised");
  ByteBuffer table;
  fuzz::Check(DecompressData(image.subspan(blockOffset, *room), table),
              "the rewritten table block does not inflate");
  const std::size_t guardStart = blockOffset + *room;
  const std::size_t guardEnd = std::min<std::size_t>(
      {guardStart + kGuardAfterRoom, base.setups.front().romOffset, image.size()});
  fuzz::Check(
      guardStart >= guardEnd || std::equal(image.begin() + guardStart, image.begin() + guardEnd,
                                           before.begin() + guardStart),
      "the rewritten table block ran past its room");
  const std::optional<std::uint32_t> entries = fuzz::ExpectedSetupEntries(table, *base.region);
  fuzz::Check(entries.has_value(), "the rewritten table has no setup entries");
  // The files are packed in table order, each up to the next one and the
  // last up to the text banks, whose first group starts with the lowest.
  const std::uint32_t textEntries = *entries + kEntrySize * level::kCount;
  std::uint32_t end = GetDWORDFromOffset(table, textEntries + kOffsetWord);
  fuzz::Check(end <= image.size(), "the text banks lie beyond the image");
  for (std::uint32_t entry = level::kCount; entry-- > 0;) {
    const std::uint32_t offset =
        GetDWORDFromOffset(table, *entries + kEntrySize * entry + kOffsetWord);
    ByteBuffer setup;
    fuzz::Check(offset < end && DecompressData(image.subspan(offset, end - offset), setup),
                "a rewritten setup file does not inflate");
    end = offset;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::CaptureConsole();
  fuzz::GetBaseImage(region::kNorthAmerica);
  GetWorkspace();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Workspace& workspace = GetWorkspace();
  fuzz::FuzzInput input({data, size});
  const std::uint32_t seed = input.Word();
  const std::uint8_t options = input.Byte();
  const bool trace = (options & 1) != 0;
  const bool updateDatabase = (options & 2) != 0;
  const fuzz::BaseImage& base = fuzz::GetBaseImage(fuzz::RegionFromBits(options >> 2));
  const ByteBuffer image = fuzz::PatchedImage(base, fuzz::ReadPatches(input));

  fuzz::WriteFileBytes(workspace.romPath, image);
  testing::WriteTextFile(workspace.configPath, ConfigText(workspace, trace, updateDatabase));
  std::filesystem::remove(workspace.rdbPath);
  std::filesystem::remove(workspace.spoilerPath);
  fuzz::TakeLogLines();
  bool succeeded = false;
  {
    ClassicRandom random(seed);
    ROM rom(workspace.romPath, workspace.configPath, random);
    succeeded = rom.LoadInROM();
  }
  const std::vector<std::string> log = fuzz::TakeLogLines();

  const std::size_t failures = CountLines(log, kStepFailure);
  const std::size_t finished = CountLines(log, kFinished);
  fuzz::Check(succeeded ? failures == 0 && finished == 1 : failures == 1 && finished == 0,
              "the pipeline's outcome and its log lines disagree");
  CheckConfiguration(workspace, trace, updateDatabase, succeeded);
  fuzz::Check(std::filesystem::exists(workspace.rdbPath) == (succeeded && updateDatabase),
              "the emulator database was written by a run that did not reach it");
  fuzz::Check(std::filesystem::exists(workspace.spoilerPath) == succeeded,
              "a spoiler log was written by a failed run, or not by a successful one");
  if (succeeded) {
    CheckResult(base, image, fuzz::ReadFileBytes(workspace.romPath));
  } else if (RefusedBeforeChanges(log)) {
    fuzz::Check(fuzz::ReadFileBytes(workspace.romPath) == image,
                "a refusal before the level loop changed the image");
  }
  return 0;
}
