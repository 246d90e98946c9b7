#include "image_builder/file_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "image_builder/image_layout.h"
#include "support/buffer_words.h"
#include "support/codec.h"

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

// The game's other tables before the file table, in stretches of 1 KiB: a
// table of pointers, then structures repeated from shortly before and a
// blank stretch. The fixed share of pointers keeps the compressed table at
// about the same size for every seed. (Tables of small numbers would be as
// plausible, but level-9 deflate takes long over them.)
void WriteOtherTables(ByteBuffer& table, ContentRandom& random) {
  constexpr std::uint32_t kStretch = 1024;
  constexpr std::uint32_t kPointerBytes = 360;
  for (std::uint32_t stretch = 0; stretch < kAssetEntriesOffset; stretch += kStretch) {
    std::uint32_t end = std::min(stretch + kStretch, kAssetEntriesOffset);
    std::uint32_t position = stretch;
    for (; position + 4 <= std::min(stretch + kPointerBytes, end); position += 4) {
      StoreBigEndian32(&table[position], 0x80000000u | (random.Next() & 0x3FFFFCu));
    }
    if (stretch < kStretch) continue;
    std::uint32_t copied = 4 * random.Between(16, 128);
    std::uint32_t from = position - 4 * random.Between(copied / 4, std::min(position / 4, 0x800u));
    std::copy_n(table.begin() + from, std::min(copied, end - position), table.begin() + position);
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
  // Noise lengths known to give a block below and above the wanted range;
  // the next try interpolates between them.
  double below = 0;
  double belowSize = CompressedTableSize(table);
  double above = kCopyOffset - kNoiseOffset;
  double aboveSize = belowSize + above;
  double wanted = (kBrimLowest + kBrimHighest) / 2.0;
  for (int round = 0; round < kMaxBrimRounds; ++round) {
    double guess = below + (above - below) * (wanted - belowSize) / (aboveSize - belowSize);
    std::uint32_t noise = static_cast<std::uint32_t>(std::clamp(guess, below + 1, above - 1));
    table = original;
    ContentRandom random(contentSeed, stream::kTableOverflow);
    random.Fill(std::span(table).subspan(kNoiseOffset, noise));
    std::uint32_t size = CompressedTableSize(table);
    if (size >= kBrimLowest && size <= kBrimHighest) return;
    if (size < kBrimLowest) {
      below = noise;
      belowSize = size;
    } else {
      above = noise;
      aboveSize = size;
    }
  }
  throw std::logic_error("could not fill the file table to its space");
}

}  // namespace velmo::image_builder
