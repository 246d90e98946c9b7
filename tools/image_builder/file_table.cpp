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

// Where FillTableToTheBrim puts its incompressible bytes, and how far below
// the block's space the compressed table must end up.
constexpr std::uint32_t kNoiseOffset = 0x100;
constexpr std::uint32_t kBrimBelowLowest = 140;
constexpr std::uint32_t kBrimBelowHighest = 60;
constexpr int kMaxBrimRounds = 20;

void WriteEntry(ByteBuffer& table, const ImagePlaces& places, std::uint32_t assetId,
                std::uint32_t imageOffset) {
  std::uint8_t* entry = &table[places.EntryPosition(assetId)];
  StoreBigEndian32(entry, assetId);
  StoreBigEndian32(entry + 4, kNamePointerBase + 16 * assetId);
  StoreBigEndian32(entry + 8, imageOffset);
}

// Offsets of `count` assets spread in ascending order over [start, end).
void WriteSpreadEntries(ByteBuffer& table, const ImagePlaces& places, std::uint32_t firstAsset,
                        std::uint32_t count, std::uint32_t start, std::uint32_t end,
                        ContentRandom& random) {
  std::vector<std::uint32_t> sizes;
  std::uint64_t total = 0;
  for (std::uint32_t asset = 0; asset < count; ++asset) {
    sizes.push_back(random.Between(1, 64));
    total += sizes.back();
  }
  std::uint64_t span = end - start;
  std::uint64_t offset = start;
  for (std::uint32_t asset = 0; asset < count; ++asset) {
    WriteEntry(table, places, firstAsset + asset, static_cast<std::uint32_t>(offset) & ~3u);
    offset += sizes[asset] * span / (total + 1);
  }
}

// The game's other tables before the file table, in stretches of 1 KiB: a
// table of pointers, then structures repeated from shortly before and a
// blank stretch. The fixed share of pointers keeps the compressed table at
// about the same size for every seed. (Tables of small numbers would be as
// plausible, but level-9 deflate takes long over them.)
void WriteOtherTables(ByteBuffer& table, std::uint32_t tablesEnd, ContentRandom& random) {
  constexpr std::uint32_t kStretch = 1024;
  constexpr std::uint32_t kPointerBytes = 360;
  for (std::uint32_t stretch = 0; stretch < tablesEnd; stretch += kStretch) {
    std::uint32_t end = std::min(stretch + kStretch, tablesEnd);
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

std::uint32_t SetupEntryIdPosition(const ImagePlaces& places, int index) {
  return places.SetupEntriesOffset() + kTableEntrySize * static_cast<std::uint32_t>(index);
}
std::uint32_t SetupEntryOffsetPosition(const ImagePlaces& places, int index) {
  return SetupEntryIdPosition(places, index) + 8;
}
std::uint32_t TextGroupIdPosition(const ImagePlaces& places, int group) {
  return places.TextEntriesOffset() + places.TextGroupSize() * static_cast<std::uint32_t>(group);
}
std::uint32_t TextBankOffsetPosition(const ImagePlaces& places, int group, std::uint32_t bank) {
  return TextGroupIdPosition(places, group) + kTableEntrySize * bank + 8;
}

ByteBuffer BuildFileTable(const ImagePlaces& places,
                          const std::array<std::uint32_t, level::kCount>& setupOffsets,
                          const std::vector<TextGroup>& groups, ContentRandom& random) {
  const TextLayout& text = places.region->text;
  ByteBuffer table(places.EntryPosition(kLastAssetId + 1) + kTableEntrySize, 0);
  WriteOtherTables(table, places.assetEntriesOffset, random);
  WriteSpreadEntries(table, places, 0, kSetupFiles.front().assetId, kOtherAssetsStart,
                     places.firstSetupOffset, random);
  for (std::size_t index = 0; index < kSetupFiles.size(); ++index) {
    WriteEntry(table, places, kSetupFiles[index].assetId, setupOffsets[index]);
  }
  std::uint32_t asset = kFirstTextAssetId;
  for (const TextGroup& group : groups) {
    for (const TextBank& bank : group.banks) WriteEntry(table, places, asset++, bank.offset);
  }
  WriteSpreadEntries(table, places, asset, kLastAssetId + 1 - asset, text.regionEnd, kImageSize,
                     random);
  return table;
}

ByteBuffer CompressTable(const ByteBuffer& table) {
  ByteBuffer block;
  CompressData(table, block, kTableMemLevel);
  return block;
}

void FillTableToTheBrim(ByteBuffer& table, const ImagePlaces& places, std::uint64_t contentSeed) {
  const std::uint32_t rewrittenLength = places.TextEntriesEnd() - places.SetupEntriesOffset();
  const std::uint32_t copyOffset = places.assetEntriesOffset - rewrittenLength - 64;
  const std::uint32_t brimLowest = places.tableBlockSpace - kBrimBelowLowest;
  const std::uint32_t brimHighest = places.tableBlockSpace - kBrimBelowHighest;
  std::copy(table.begin() + places.SetupEntriesOffset(), table.begin() + places.TextEntriesEnd(),
            table.begin() + copyOffset);
  ByteBuffer original = table;
  // Noise lengths known to give a block below and above the wanted range;
  // the next try interpolates between them.
  double below = 0;
  double belowSize = CompressedTableSize(table);
  double above = copyOffset - kNoiseOffset;
  double aboveSize = belowSize + above;
  double wanted = (brimLowest + brimHighest) / 2.0;
  for (int round = 0; round < kMaxBrimRounds; ++round) {
    double guess = below + (above - below) * (wanted - belowSize) / (aboveSize - belowSize);
    std::uint32_t noise = static_cast<std::uint32_t>(std::clamp(guess, below + 1, above - 1));
    table = original;
    ContentRandom random(contentSeed, stream::kTableOverflow);
    random.Fill(std::span(table).subspan(kNoiseOffset, noise));
    std::uint32_t size = CompressedTableSize(table);
    if (size >= brimLowest && size <= brimHighest) return;
    if (size < brimLowest) {
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
