#include "assets/file_table.h"

#include <bitset>

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
bool ReadSetupEntry(std::span<const std::uint8_t> table, std::uint32_t index,
                    std::uint64_t imageSize, std::bitset<level::kCount>& seen,
                    SetupFileEntry& entry) {
  const std::uint32_t position = kSetupEntriesStart + index * kTableEntrySize + kEntryOffsetWord;
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
  if (romOffset > file->endBound || file->endBound > imageSize) {
    LogError("ProcessFileTable(): Setup file of " + EntryText(index) + " at [" +
             ToHexText(romOffset) + "] lies beyond its end bound [" + ToHexText(file->endBound) +
             "] or the image");
    return false;
  }
  entry = SetupFileEntry{};
  entry.tablePosition = position;
  entry.romOffset = romOffset;
  entry.availableSize = file->endBound - romOffset;
  entry.levelId = file->levelId;
  entry.memLevel = file->memLevel;
  return true;
}

}  // namespace

bool Load21990Data(std::span<const std::uint8_t> image, ByteBuffer& inflated21990) {
  if (image.size() < std::uint64_t{k21990BlockOffset} + k21990BlockSpace) {
    LogError("Load21990Data(): Image of [" + std::to_string(image.size()) +
             "] bytes is too short to hold the file table");
    return false;
  }
  return DecompressData(image.subspan(k21990BlockOffset, k21990BlockSpace), inflated21990);
}

bool ProcessFileTable(std::span<const std::uint8_t> inflated21990, std::uint64_t imageSize,
                      std::vector<SetupFileEntry>& setupFiles) {
  const std::uint32_t firstId = GetDWORDFromOffset(inflated21990, kSetupEntriesStart);
  if (firstId != kFirstSetupAssetId) {
    LogWarn("ProcessFileTable(): First entry in 21990 table [" + DecimalText(firstId) +
            "] is not what was expected!");
    return false;
  }
  std::vector<SetupFileEntry> found(level::kCount);
  std::bitset<level::kCount> seen;
  std::uint32_t totalAvailable = 0;
  for (std::uint32_t index = 0; index < found.size(); ++index) {
    if (!ReadSetupEntry(inflated21990, index, imageSize, seen, found[index])) return false;
    totalAvailable += found[index].availableSize;
  }
  setupFiles = std::move(found);
  LogInfo("ProcessFileTable(): Finished parsing file table [" + DecimalText(totalAvailable) +
          "] bytes available");
  return true;
}

}  // namespace velmo
