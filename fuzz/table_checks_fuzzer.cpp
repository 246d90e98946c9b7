// The file-table and text-bank checks, and the text repacking behind them, on
// a patched inflated table of the good synthetic image.
// Input: one byte of options (bit 0: TRACE lines on, bit 1: cut the image),
// the image length word for bit 1, then patches (only the table ones apply).
//
// ProcessFileTable either refuses the table and finds nothing, or finds 21
// distinct setup files that each lie inside their space and the image.
// StripOutJapaneseText either refuses the table and changes nothing, or keeps
// every English bank byte for byte, packed against the text region's end, and
// writes nothing outside the text region nor any table word but the offsets.

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "assets/file_table.h"
#include "assets/text_banks.h"
#include "cartridge/region_layout.h"
#include "fuzz_support.h"
#include "image_patches.h"
#include "level/level_catalogue.h"
#include "support/buffer_words.h"
#include "synthetic_image.h"

using namespace velmo;

namespace {

constexpr std::uint32_t kSetupEntriesStart = 0x26FB0;
constexpr std::uint32_t kTextPairsStart = 0x270AC;
constexpr std::uint32_t kPairEnglishWord = 8;
constexpr std::uint32_t kPairJapaneseWord = 20;
constexpr std::uint32_t kPairStride = 24;

void CheckSetupFiles(std::span<const std::uint8_t> table, std::uint64_t imageSize,
                     const std::vector<SetupFileEntry>& setupFiles) {
  fuzz::Check(setupFiles.size() == level::kCount, "an accepted table lacks setup files");
  std::bitset<level::kCount> levels;
  for (std::size_t index = 0; index < setupFiles.size(); ++index) {
    const SetupFileEntry& entry = setupFiles[index];
    fuzz::Check(entry.tablePosition == kSetupEntriesStart + 12 * index + 8,
                "a setup file's table position is not its entry's");
    fuzz::Check(GetDWORDFromOffset(table, entry.tablePosition) == entry.romOffset,
                "a setup file's offset is not the one in the table");
    fuzz::Check(entry.levelId >= 0 && entry.levelId < level::kCount && !levels.test(entry.levelId),
                "a level was found twice or not at all");
    levels.set(static_cast<std::size_t>(entry.levelId));
    const SetupFileInfo* info = nullptr;
    std::uint32_t endBound = 0;
    for (std::size_t file = 0; file < kSetupFiles.size(); ++file) {
      if (kSetupFiles[file].levelId != entry.levelId) continue;
      info = &kSetupFiles[file];
      endBound = region::kNorthAmerica.setups[file].endBound;
    }
    fuzz::Check(info != nullptr && entry.romOffset <= endBound &&
                    entry.romOffset + std::uint64_t{entry.availableSize} == endBound &&
                    endBound <= imageSize && entry.memLevel == info->memLevel,
                "a setup file does not lie inside its space and the image");
  }
}

struct PairOffsets {
  std::uint32_t english, japanese;
};

PairOffsets ReadPair(std::span<const std::uint8_t> table, std::uint32_t pair) {
  const std::uint32_t position = kTextPairsStart + kPairStride * pair;
  return {GetDWORDFromOffset(table, position + kPairEnglishWord),
          GetDWORDFromOffset(table, position + kPairJapaneseWord)};
}

bool IsPairOffsetWord(std::size_t position) {
  if (position < kTextPairsStart) return false;
  const std::size_t inPair = (position - kTextPairsStart) % kPairStride;
  const std::size_t pair = (position - kTextPairsStart) / kPairStride;
  const bool inOffsetWord = (inPair >= kPairEnglishWord && inPair < kPairEnglishWord + 4) ||
                            (inPair >= kPairJapaneseWord && inPair < kPairJapaneseWord + 4);
  return pair < kTextBankPairCount && inOffsetWord;
}

// The repacked banks: each English bank unchanged, back to back up to the
// region end, each Japanese bank empty, the freed space cleared.
void CheckRepackedText(std::span<const std::uint8_t> image, const ByteBuffer& tableBefore,
                       const ByteBuffer& tableAfter) {
  const std::span<const std::uint8_t> original(fuzz::GetBaseImage().bytes);
  fuzz::Check(tableAfter.size() == tableBefore.size(), "the text repacking resized the table");
  for (std::size_t i = 0; i < tableAfter.size(); ++i) {
    if (tableAfter[i] != tableBefore[i]) {
      fuzz::Check(IsPairOffsetWord(i), "the text repacking changed a table word it does not own");
    }
  }
  std::uint32_t packedTo = fuzz::kTextRegionEnd;
  for (std::uint32_t pair = kTextBankPairCount; pair-- > 0;) {
    const PairOffsets before = ReadPair(tableBefore, pair);
    const PairOffsets after = ReadPair(tableAfter, pair);
    const std::uint32_t length = before.japanese - before.english;
    fuzz::Check(after.japanese == packedTo && after.japanese - after.english == length,
                "an English bank was not packed against the next one");
    fuzz::Check(std::equal(image.begin() + after.english, image.begin() + after.japanese,
                           original.begin() + before.english),
                "an English bank lost its text");
    packedTo = after.english;
  }
  fuzz::Check(LowestKeptBankOffset(tableAfter) == packedTo,
              "the lowest English bank is not where the packing ended");
  fuzz::Check(std::all_of(image.begin() + fuzz::kTextRegionStart, image.begin() + packedTo,
                          [](std::uint8_t byte) { return byte == 0; }),
              "the freed text space was not cleared");
}

bool SameOutsideTextRegion(std::span<const std::uint8_t> image) {
  const std::span<const std::uint8_t> original(fuzz::GetBaseImage().bytes);
  const std::size_t regionStart = std::min<std::size_t>(image.size(), fuzz::kTextRegionStart);
  const std::size_t regionEnd = std::min<std::size_t>(image.size(), fuzz::kTextRegionEnd);
  return std::memcmp(image.data(), original.data(), regionStart) == 0 &&
         std::memcmp(image.data() + regionEnd, original.data() + regionEnd,
                     image.size() - regionEnd) == 0;
}

void RestoreTextRegion(std::span<std::uint8_t> image) {
  const ByteBuffer& original = fuzz::GetBaseImage().bytes;
  const std::size_t regionEnd = std::min<std::size_t>(image.size(), fuzz::kTextRegionEnd);
  if (regionEnd <= fuzz::kTextRegionStart) return;
  std::copy(original.begin() + fuzz::kTextRegionStart, original.begin() + regionEnd,
            image.begin() + fuzz::kTextRegionStart);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceConsole();
  fuzz::GetBaseImage();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ByteBuffer workImage = fuzz::GetBaseImage().bytes;
  fuzz::FuzzInput input({data, size});
  const std::uint8_t options = input.Byte();
  const std::uint32_t cut = input.Word();
  const ConfigFile& config = (options & 1) != 0 ? fuzz::TracingConfig() : fuzz::EmptyConfig();
  const std::size_t imageSize =
      (options & 2) != 0 ? cut % (workImage.size() + 1) : workImage.size();
  const std::vector<fuzz::ImagePatch> patches = fuzz::ReadPatches(input);

  ByteBuffer patched = fuzz::GetBaseImage().table;
  fuzz::PatchTable(patched, patches);
  // An exact copy, so that a read past the table's end lands outside the heap
  // block and the address sanitizer sees it.
  ByteBuffer table(patched.begin(), patched.end());

  std::vector<SetupFileEntry> setupFiles;
  if (ProcessFileTable(table, imageSize, setupFiles)) {
    CheckSetupFiles(table, imageSize, setupFiles);
  } else {
    fuzz::Check(setupFiles.empty(), "a refused table still gave setup files");
  }
  fuzz::Check(table == patched, "the file-table check changed the table");

  const std::span<std::uint8_t> image = std::span(workImage).first(imageSize);
  std::vector<MovedTextBank> moved;
  if (StripOutJapaneseText(image, table, config, moved)) {
    CheckRepackedText(image, patched, table);
    fuzz::Check(moved.size() == kTextBankPairCount, "a moved text bank was not recorded");
  } else {
    fuzz::Check(moved.empty(), "a refused text repacking recorded moved banks");
    fuzz::Check(table == patched, "a refused text repacking changed the table");
    fuzz::Check(std::equal(image.begin() + std::min<std::size_t>(imageSize, fuzz::kTextRegionStart),
                           image.end(),
                           fuzz::GetBaseImage().bytes.begin() +
                               std::min<std::size_t>(imageSize, fuzz::kTextRegionStart)),
                "a refused text repacking changed the image");
  }
  fuzz::Check(SameOutsideTextRegion(image), "the text repacking wrote outside the text region");
  RestoreTextRegion(image);
  return 0;
}
