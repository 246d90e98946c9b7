#include "assets/file_table.h"

#include <bitset>
#include <optional>

#include "assets/file_table_layout.h"
#include "level/level_catalogue.h"
#include "support/buffer_words.h"
#include "support/codec.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

std::string EntryText(std::uint32_t index) {
  return "entry [" + DecimalText(index) + "]";
}

// Checks one entry and builds its record; logs why when it is refused.
bool ReadSetupEntry(std::span<const std::uint8_t> table, std::uint32_t entriesStart,
                    std::uint32_t index, const RegionLayout& region, std::uint64_t imageSize,
                    std::bitset<level::kCount>& seen, SetupFileEntry& entry) {
  const std::uint32_t position = entriesStart + index * kTableEntrySize + kEntryOffsetWord;
  const std::uint32_t assetId = GetDWORDFromOffset(table, position - kEntryOffsetWord);
  const std::uint32_t romOffset = GetDWORDFromOffset(table, position);
  const auto file = FindSetupFile(assetId);
  if (!file) {
    LogError("ProcessFileTable(): Encountered an unexpected asset ID");
    LogError("ProcessFileTable(): Asset ID [" + DecimalText(assetId) + "] of " + EntryText(index) +
             " is not a level setup file");
    return false;
  }
  const std::size_t slot = assetId - kFirstSetupAssetId;
  if (seen.test(slot)) {
    LogError("ProcessFileTable(): Asset ID [" + DecimalText(assetId) + "] of " + EntryText(index) +
             " appears more than once");
    return false;
  }
  seen.set(slot);
  const std::uint32_t endBound = region.setups[slot].endBound;
  if (romOffset > endBound || endBound > imageSize) {
    LogError("ProcessFileTable(): Setup file of " + EntryText(index) + " at [" +
             ToHexText(romOffset) + "] lies beyond its end bound [" + ToHexText(endBound) +
             "] or the image");
    return false;
  }
  entry = SetupFileEntry{};
  entry.tablePosition = position;
  entry.romOffset = romOffset;
  entry.availableSize = endBound - romOffset;
  entry.levelId = file->levelId;
  entry.memLevel = file->memLevel;
  return true;
}

// The entries of assets 617 to 637, one after another, and then the first
// text bank's, as the game's table holds them.
bool HoldsSetupEntriesAt(std::span<const std::uint8_t> table, std::size_t position) {
  const std::size_t runLength = (level::kCount + 1) * std::size_t{kTableEntrySize};
  if (position + runLength > table.size()) return false;
  for (std::uint32_t index = 0; index <= level::kCount; ++index) {
    const std::uint32_t word = LoadBigEndian32(&table[position + index * kTableEntrySize]);
    if (word != kFirstSetupAssetId + index) return false;
  }
  return true;
}

std::optional<std::uint32_t> FindSetupEntries(std::span<const std::uint8_t> table) {
  for (std::size_t position = 0; position + 4 <= table.size(); position += 4) {
    if (HoldsSetupEntriesAt(table, position)) return static_cast<std::uint32_t>(position);
  }
  return std::nullopt;
}

// Where the region's table has its setup entries; logs the refusal of a
// table whose first setup entry is not where it should be.
std::optional<std::uint32_t> SetupEntriesStart(std::span<const std::uint8_t> table,
                                               const RegionLayout& region) {
  std::uint32_t firstId = 0;
  std::optional<std::uint32_t> start = region.setupEntriesPosition;
  if (start) {
    firstId = GetDWORDFromOffset(table, *start);
  } else {
    start = FindSetupEntries(table);
    if (start) firstId = kFirstSetupAssetId;
  }
  if (firstId == kFirstSetupAssetId) return start;
  LogWarn("ProcessFileTable(): First entry in 21990 table [" + DecimalText(firstId) +
          "] is not what was expected!");
  return std::nullopt;
}

}  // namespace

bool Load21990Data(std::span<const std::uint8_t> image, ByteBuffer& inflated21990,
                   const DataBlockPlace& place) {
  if (image.size() < std::uint64_t{place.offset} + place.room) {
    LogError("Load21990Data(): Image of [" + std::to_string(image.size()) +
             "] bytes is too short to hold the file table");
    return false;
  }
  return DecompressData(image.subspan(place.offset, place.room), inflated21990);
}

bool ProcessFileTable(std::span<const std::uint8_t> inflated21990, std::uint64_t imageSize,
                      std::vector<SetupFileEntry>& setupFiles, const RegionLayout& region) {
  const std::optional<std::uint32_t> entriesStart = SetupEntriesStart(inflated21990, region);
  if (!entriesStart) return false;
  std::vector<SetupFileEntry> found(level::kCount);
  std::bitset<level::kCount> seen;
  std::uint32_t totalAvailable = 0;
  for (std::uint32_t index = 0; index < found.size(); ++index) {
    if (!ReadSetupEntry(inflated21990, *entriesStart, index, region, imageSize, seen,
                        found[index])) {
      return false;
    }
    totalAvailable += found[index].availableSize;
  }
  setupFiles = std::move(found);
  LogInfo("ProcessFileTable(): Finished parsing file table [" + DecimalText(totalAvailable) +
          "] bytes available");
  return true;
}

std::uint32_t TextEntriesPosition(const std::vector<SetupFileEntry>& setupFiles) {
  return setupFiles.front().tablePosition - kEntryOffsetWord + level::kCount * kTableEntrySize;
}

}  // namespace velmo
