// The file-table and text-bank checks, and the text repacking behind them, on
// a patched inflated table of a region's good synthetic image.
// Input: one byte of options (bit 0: TRACE lines on, bit 1: cut the image,
// bits 2 and 3: the region, 0 for North America, 1 Europe, 2 Japan), the
// image length word for bit 1, then patches (only the table ones apply).
//
// ProcessFileTable either refuses the table and finds nothing, or finds 21
// distinct setup files, from the region's fixed place or the first run of
// their identifiers, that each lie inside their space and the image.
// StripOutJapaneseText either refuses the table and changes nothing, or keeps
// the bank the region reads of every group byte for byte, packed against the
// text region's end, leaves every other bank of a group empty, and writes
// nothing outside the text region nor any table word but the banks' offsets.

#include <algorithm>
#include <array>
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
#include "setup_entry_search.h"
#include "support/buffer_words.h"
#include "support/content_crc.h"
#include "synthetic_image.h"

using namespace velmo;

namespace {

constexpr std::uint32_t kEntrySize = 12;
constexpr std::uint32_t kOffsetWord = 8;

void CheckSetupFiles(const fuzz::BaseImage& base, std::span<const std::uint8_t> table,
                     std::uint64_t imageSize, const std::vector<SetupFileEntry>& setupFiles) {
  const RegionLayout& region = *base.region;
  fuzz::Check(setupFiles.size() == level::kCount, "an accepted table lacks setup files");
  const std::optional<std::uint32_t> entriesStart = fuzz::ExpectedSetupEntries(table, region);
  fuzz::Check(entriesStart.has_value(), "a table without the run of setup entries was accepted");
  std::bitset<level::kCount> levels;
  for (std::size_t index = 0; index < setupFiles.size(); ++index) {
    const SetupFileEntry& entry = setupFiles[index];
    fuzz::Check(entry.tablePosition == *entriesStart + kEntrySize * index + kOffsetWord,
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
      endBound = region.setups[file].endBound;
    }
    fuzz::Check(info != nullptr && entry.romOffset <= endBound &&
                    entry.romOffset + std::uint64_t{entry.availableSize} == endBound &&
                    endBound <= imageSize && entry.memLevel == info->memLevel,
                "a setup file does not lie inside its space and the image");
  }
}

// The offsets of one group's banks as the table holds them.
using GroupOffsets = std::array<std::uint32_t, kMostBanksPerGroup>;

GroupOffsets ReadGroup(std::span<const std::uint8_t> table, const TextBankTable& banks,
                       std::uint32_t group) {
  const TextLayout& layout = *banks.layout;
  GroupOffsets offsets{};
  const std::uint32_t position = banks.entriesPosition + kEntrySize * layout.banksPerGroup * group;
  for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
    offsets[bank] = GetDWORDFromOffset(table, position + kEntrySize * bank + kOffsetWord);
  }
  return offsets;
}

bool IsBankOffsetWord(const TextBankTable& banks, std::size_t position) {
  if (position < banks.entriesPosition) return false;
  const std::size_t inTable = position - banks.entriesPosition;
  return inTable < std::size_t{kEntrySize} * banks.layout->banksPerGroup * kTextGroupCount &&
         inTable % kEntrySize >= kOffsetWord;
}

// Where the bank the region reads ended before the repacking: at the next
// bank's offset, the last group's at the region's end.
std::uint32_t KeptBankEnd(std::span<const std::uint8_t> table, const TextBankTable& banks,
                          std::uint32_t group, const GroupOffsets& offsets) {
  const TextLayout& layout = *banks.layout;
  if (layout.keptBank + 1 < layout.banksPerGroup) return offsets[layout.keptBank + 1];
  if (group + 1 < kTextGroupCount) return ReadGroup(table, banks, group + 1)[0];
  return layout.regionEnd;
}

// The repacked banks: each kept bank unchanged, back to back up to the region
// end, the other banks of its group empty before or after it, the freed space
// cleared, and one record per group of where the kept bank is and what it holds.
void CheckRepackedText(const fuzz::BaseImage& base, std::span<const std::uint8_t> image,
                       const TextBankTable& banks, const ByteBuffer& tableBefore,
                       const ByteBuffer& tableAfter, const std::vector<MovedTextBank>& moved) {
  const TextLayout& layout = *banks.layout;
  const std::span<const std::uint8_t> original(base.bytes);
  fuzz::Check(tableAfter.size() == tableBefore.size(), "the text repacking resized the table");
  for (std::size_t i = 0; i < tableAfter.size(); ++i) {
    if (tableAfter[i] != tableBefore[i]) {
      fuzz::Check(IsBankOffsetWord(banks, i),
                  "the text repacking changed a table word it does not own");
    }
  }
  fuzz::Check(moved.size() == kTextGroupCount, "a moved text bank was not recorded");
  std::uint32_t packedTo = layout.regionEnd;
  for (std::uint32_t group = kTextGroupCount; group-- > 0;) {
    const GroupOffsets before = ReadGroup(tableBefore, banks, group);
    const GroupOffsets after = ReadGroup(tableAfter, banks, group);
    const std::uint32_t keptStart = before[layout.keptBank];
    const std::uint32_t length = KeptBankEnd(tableBefore, banks, group, before) - keptStart;
    const std::uint32_t newStart = packedTo - length;
    fuzz::Check(after[layout.keptBank] == newStart, "a kept bank was not packed against the next");
    for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
      if (bank == layout.keptBank) continue;
      fuzz::Check(after[bank] == (bank < layout.keptBank ? newStart : packedTo),
                  "a bank the region never reads was not left empty");
    }
    const auto keptText = image.subspan(newStart, length);
    fuzz::Check(std::equal(keptText.begin(), keptText.end(), original.begin() + keptStart),
                "a kept bank lost its text");
    const MovedTextBank& record = moved[group];
    fuzz::Check(
        record.keptPosition == banks.entriesPosition +
                                   kEntrySize * (layout.banksPerGroup * group + layout.keptBank) +
                                   kOffsetWord &&
            record.length == length && record.crc32 == ContentCrc32(keptText),
        "a moved bank's record is not that of its kept bank");
    packedTo = newStart;
  }
  fuzz::Check(LowestKeptBankOffset(tableAfter, banks) == packedTo,
              "the lowest kept bank is not where the packing ended");
  fuzz::Check(std::all_of(image.begin() + layout.regionStart, image.begin() + packedTo,
                          [](std::uint8_t byte) { return byte == 0; }),
              "the freed text space was not cleared");
  if (tableBefore == base.table) {
    fuzz::Check(layout.regionEnd - packedTo == base.keptTextTotal,
                "the good image's kept banks did not all move");
  }
}

bool SameOutsideTextRegion(const fuzz::BaseImage& base, std::span<const std::uint8_t> image) {
  const TextLayout& layout = base.region->text;
  const std::span<const std::uint8_t> original(base.bytes);
  const std::size_t regionStart = std::min<std::size_t>(image.size(), layout.regionStart);
  const std::size_t regionEnd = std::min<std::size_t>(image.size(), layout.regionEnd);
  return std::memcmp(image.data(), original.data(), regionStart) == 0 &&
         std::memcmp(image.data() + regionEnd, original.data() + regionEnd,
                     image.size() - regionEnd) == 0;
}

void RestoreTextRegion(const fuzz::BaseImage& base, std::span<std::uint8_t> image) {
  const TextLayout& layout = base.region->text;
  const std::size_t regionEnd = std::min<std::size_t>(image.size(), layout.regionEnd);
  if (regionEnd <= layout.regionStart) return;
  std::copy(base.bytes.begin() + layout.regionStart, base.bytes.begin() + regionEnd,
            image.begin() + layout.regionStart);
}

// The image each region's runs repack in place, restored after every run.
ByteBuffer& WorkImage(const RegionLayout& region) {
  static std::array<ByteBuffer, 3> images = {fuzz::GetBaseImage(region::kNorthAmerica).bytes,
                                             fuzz::GetBaseImage(region::kEurope).bytes,
                                             fuzz::GetBaseImage(region::kJapan).bytes};
  if (&region == &region::kEurope) return images[1];
  if (&region == &region::kJapan) return images[2];
  return images[0];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceConsole();
  WorkImage(region::kNorthAmerica);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input({data, size});
  const std::uint8_t options = input.Byte();
  const std::uint32_t cut = input.Word();
  const RegionLayout& region = fuzz::RegionFromBits(options >> 2);
  const fuzz::BaseImage& base = fuzz::GetBaseImage(region);
  ByteBuffer& workImage = WorkImage(region);
  const ConfigFile& config = (options & 1) != 0 ? fuzz::TracingConfig() : fuzz::EmptyConfig();
  const std::size_t imageSize =
      (options & 2) != 0 ? cut % (workImage.size() + 1) : workImage.size();
  const std::vector<fuzz::ImagePatch> patches = fuzz::ReadPatches(input);

  ByteBuffer patched = base.table;
  fuzz::PatchTable(base, patched, patches);
  // An exact copy, so that a read past the table's end lands outside the heap
  // block and the address sanitizer sees it.
  ByteBuffer table(patched.begin(), patched.end());

  std::vector<SetupFileEntry> setupFiles;
  TextBankTable banks{&region.text, base.textEntriesPosition};
  if (ProcessFileTable(table, imageSize, setupFiles, region)) {
    CheckSetupFiles(base, table, imageSize, setupFiles);
    banks.entriesPosition = TextEntriesPosition(setupFiles);
  } else {
    fuzz::Check(setupFiles.empty(), "a refused table still gave setup files");
  }
  fuzz::Check(table == patched, "the file-table check changed the table");

  const std::span<std::uint8_t> image = std::span(workImage).first(imageSize);
  std::vector<MovedTextBank> moved;
  if (StripOutJapaneseText(image, table, config, moved, banks)) {
    CheckRepackedText(base, image, banks, patched, table, moved);
  } else {
    const std::size_t regionStart = std::min<std::size_t>(imageSize, region.text.regionStart);
    fuzz::Check(moved.empty(), "a refused text repacking recorded moved banks");
    fuzz::Check(table == patched, "a refused text repacking changed the table");
    fuzz::Check(std::equal(image.begin() + regionStart, image.end(),
                           base.bytes.begin() + static_cast<std::ptrdiff_t>(regionStart)),
                "a refused text repacking changed the image");
  }
  fuzz::Check(SameOutsideTextRegion(base, image),
              "the text repacking wrote outside the text region");
  RestoreTextRegion(base, image);
  return 0;
}
