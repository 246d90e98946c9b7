#include "image_builder/file_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <stdexcept>

#include "image_builder/image_layout.h"
#include "rom/buffer_words.h"
#include "rom/codec.h"

namespace velmo::image_builder {
namespace {

// The other assets lie between the table block and the first setup file, and
// after the text region.
constexpr std::uint32_t kOtherAssetsStart = 0x34000;
constexpr std::uint32_t kNamePointerBase = 0x80020000;

// Where FillTableToTheBrim puts its copy and its incompressible bytes, and how
// far below the block's space the compressed table must end up.
constexpr std::uint32_t kRewrittenEntriesEnd = kTextPairsOffset + kTextPairCount * kTextPairSize;
constexpr std::uint32_t kRewrittenEntriesLength = kRewrittenEntriesEnd - kSetupEntriesOffset;
constexpr std::uint32_t kCopyOffset = kAssetEntriesOffset - kRewrittenEntriesLength - 64;
constexpr std::uint32_t kNoiseOffset = 0x100;
constexpr std::uint32_t kBrimLowest = kTableBlockSpace - 140;
constexpr std::uint32_t kBrimHighest = kTableBlockSpace - 60;
constexpr int kMaxBrimRounds = 20;

std::uint32_t EntryPosition(std::uint32_t assetId) {
  return kAssetEntriesOffset + kTableEntrySize * assetId;
}

void WriteEntry(ByteBuffer& table, std::uint32_t assetId, std::uint32_t imageOffset) {
  std::uint8_t* entry = &table[EntryPosition(assetId)];
  StoreBigEndian32(entry, assetId);
  StoreBigEndian32(entry + 4, kNamePointerBase + 16 * assetId);
  StoreBigEndian32(entry + 8, imageOffset);
}

// Offsets of `count` assets spread in ascending order over [start, end).
void WriteSpreadEntries(ByteBuffer& table, std::uint32_t firstAsset, std::uint32_t count,
                        std::uint32_t start, std::uint32_t end, ContentRandom& random) {
  std::vector<std::uint32_t> sizes;
  std::uint64_t total = 0;
  for (std::uint32_t asset = 0; asset < count; ++asset) {
    sizes.push_back(random.Between(1, 64));
    total += sizes.back();
  }
  std::uint64_t span = end - start;
  std::uint64_t offset = start;
  for (std::uint32_t asset = 0; asset < count; ++asset) {
    WriteEntry(table, firstAsset + asset, static_cast<std::uint32_t>(offset) & ~3u);
    offset += sizes[asset] * span / (total + 1);
  }
}

// The game's other tables before the file table: runs of pointers to records
// of a few sizes, of small numbers and of floats.
void WriteOtherTables(ByteBuffer& table, ContentRandom& random) {
  constexpr std::array<std::uint32_t, 6> kRecordSizes = {0x10, 0x18, 0x20, 0x30, 0x40, 0x80};
  std::uint32_t position = 0;
  while (position < kAssetEntriesOffset) {
    std::uint32_t kind = random.Below(4);
    std::uint32_t words = random.Between(16, 512);
    std::uint32_t pointer = 0x80000000u + 0x10 * random.Below(0x10000);
    std::uint32_t recordSize = kRecordSizes[random.Below(kRecordSizes.size())];
    float value = static_cast<float>(random.Below(2000));
    for (std::uint32_t word = 0; word < words && position + 4 <= kAssetEntriesOffset; ++word) {
      std::uint32_t content = 0;
      if (kind == 0) content = pointer += random.OneIn(4) ? 2 * recordSize : recordSize;
      if (kind == 1) content = random.OneIn(3) ? random.Below(16) : 0;
      if (kind == 2) content = std::bit_cast<std::uint32_t>(value += random.Below(8));
      if (kind == 3) content = random.OneIn(2) ? 0x00010000u * random.Below(16) : 0;
      StoreBigEndian32(&table[position], content);
      position += 4;
    }
  }
}

std::uint32_t CompressedTableSize(const ByteBuffer& table) {
  return static_cast<std::uint32_t>(CompressTable(table).size());
}

}  // namespace

std::uint32_t SetupEntryIdPosition(int index) {
  return kSetupEntriesOffset + kTableEntrySize * static_cast<std::uint32_t>(index);
}
std::uint32_t SetupEntryOffsetPosition(int index) {
  return SetupEntryIdPosition(index) + 8;
}
std::uint32_t TextPairIdPosition(int pair) {
  return kTextPairsOffset + kTextPairSize * static_cast<std::uint32_t>(pair);
}
std::uint32_t TextPairEnglishPosition(int pair) {
  return TextPairIdPosition(pair) + 8;
}
std::uint32_t TextPairJapanesePosition(int pair) {
  return TextPairIdPosition(pair) + 20;
}

ByteBuffer BuildFileTable(const std::array<std::uint32_t, level::kCount>& setupOffsets,
                          const std::vector<TextBankPair>& banks, ContentRandom& random) {
  ByteBuffer table(EntryPosition(kLastAssetId + 1) + kTableEntrySize, 0);
  WriteOtherTables(table, random);
  WriteSpreadEntries(table, 0, kSetupFiles.front().assetId, kOtherAssetsStart, kFirstSetupOffset,
                     random);
  for (std::size_t index = 0; index < kSetupFiles.size(); ++index) {
    WriteEntry(table, kSetupFiles[index].assetId, setupOffsets[index]);
  }
  for (std::size_t pair = 0; pair < banks.size(); ++pair) {
    std::uint32_t englishAsset = kFirstTextAssetId + 2 * static_cast<std::uint32_t>(pair);
    WriteEntry(table, englishAsset, banks[pair].englishOffset);
    WriteEntry(table, englishAsset + 1, banks[pair].japaneseOffset);
  }
  std::uint32_t firstLaterAsset = kFirstTextAssetId + 2 * kTextPairCount;
  WriteSpreadEntries(table, firstLaterAsset, kLastAssetId + 1 - firstLaterAsset, kTextRegionEnd,
                     kImageSize, random);
  return table;
}

ByteBuffer CompressTable(const ByteBuffer& table) {
  ByteBuffer block;
  CompressData(table, block, kTableMemLevel);
  return block;
}

void FillTableToTheBrim(ByteBuffer& table, std::uint64_t contentSeed) {
  std::copy(table.begin() + kSetupEntriesOffset, table.begin() + kRewrittenEntriesEnd,
            table.begin() + kCopyOffset);
  ByteBuffer original = table;
  std::uint32_t baseSize = CompressedTableSize(table);
  double costPerNoiseByte = 0.6;
  for (int round = 0; round < kMaxBrimRounds; ++round) {
    double wanted = (kBrimLowest + kBrimHighest) / 2.0 - baseSize;
    std::uint32_t noise = std::clamp<std::uint32_t>(
        static_cast<std::uint32_t>(wanted / costPerNoiseByte), 1, kCopyOffset - kNoiseOffset);
    table = original;
    ContentRandom random(contentSeed, stream::kTableOverflow);
    random.Fill(std::span(table).subspan(kNoiseOffset, noise));
    std::uint32_t size = CompressedTableSize(table);
    if (size >= kBrimLowest && size <= kBrimHighest) return;
    if (size > baseSize) costPerNoiseByte = static_cast<double>(size - baseSize) / noise;
  }
  throw std::logic_error("could not fill the file table to its space");
}

}  // namespace velmo::image_builder
