#include "assets/text_banks.h"

#include <algorithm>
#include <limits>
#include <string>

#include "support/buffer_words.h"
#include "support/config_file.h"
#include "support/content_crc.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

std::uint32_t GroupStride(const TextLayout& layout) {
  return layout.banksPerGroup * kTableEntrySize;
}

std::uint32_t BankPosition(const TextBankGroup& group, std::uint32_t bank) {
  return group.firstPosition + bank * kTableEntrySize;
}

// Where each bank of the groups ends: at the next bank's offset, the last at
// the region's end.
std::uint32_t BankEnd(const std::vector<TextBankGroup>& groups, std::size_t group,
                      std::uint32_t bank, const TextLayout& layout) {
  if (bank + 1 < layout.banksPerGroup) return groups[group].offsets[bank + 1];
  if (group + 1 < groups.size()) return groups[group + 1].offsets.front();
  return layout.regionEnd;
}

bool Matches(const TextBankGroup& group,
             const std::array<std::uint32_t, kMostBanksPerGroup>& expected,
             const TextLayout& layout) {
  return std::equal(group.offsets.begin(), group.offsets.end(), expected.begin(),
                    expected.begin() + layout.banksPerGroup);
}

// Velmo's own output: the first group's other banks are already empty, and
// the text region is already cleared up to the bank it reads, which the
// repacking moved up.
bool AlreadyRandomised(std::span<const std::uint8_t> image,
                       const std::vector<TextBankGroup>& groups, const TextLayout& layout) {
  const std::uint32_t kept = groups.front().offsets[layout.keptBank];
  for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
    if (bank == layout.keptBank) continue;
    if (groups.front().offsets[bank] != BankEnd(groups, 0, bank, layout)) return false;
  }
  if (kept <= layout.regionStart || kept > image.size()) return false;
  return std::all_of(image.begin() + layout.regionStart, image.begin() + kept,
                     [](std::uint8_t byte) { return byte == 0; });
}

void LogUnexpectedFirstEntry(std::uint32_t shown) {
  LogError("StripOutJapaneseText(): First entry in 21990 table [" + DecimalText(shown) +
           "] is not what was expected!");
}

// Reads the 44 groups' table words; false (logged) on an identifier out of range.
bool CollectGroups(std::span<const std::uint8_t> table, const TextBankTable& banks,
                   std::vector<TextBankGroup>& groups) {
  const TextLayout& layout = *banks.layout;
  std::uint32_t entry = banks.entriesPosition;
  while (groups.size() < kTextGroupCount) {
    const std::uint32_t firstId = GetDWORDFromOffset(table, entry);
    if (firstId - kFirstTextAssetId > layout.lastAssetId - kFirstTextAssetId) {
      LogUnexpectedFirstEntry(kFirstTextAssetId);
      return false;
    }
    TextBankGroup group;
    group.firstPosition = entry + kEntryOffsetWord;
    for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
      group.offsets.push_back(GetDWORDFromOffset(table, BankPosition(group, bank)));
    }
    groups.push_back(std::move(group));
    entry += GroupStride(layout);
  }
  return true;
}

std::string OffsetsText(const TextBankGroup& group) {
  std::string text;
  for (const std::uint32_t offset : group.offsets) {
    text += (text.empty() ? "[" : " [") + ToHexText(offset) + "]";
  }
  return text;
}

// Every bank must lie in order inside the region, or the banks' lengths mean
// nothing and copying them would read and write out of place.
bool GroupsLieInOrder(const std::vector<TextBankGroup>& groups, const TextLayout& layout,
                      std::uint64_t imageSize) {
  const char* groupWord = layout.banksPerGroup == 2 ? "pair" : "group";
  for (std::size_t i = 0; i < groups.size(); ++i) {
    bool inOrder = true;
    for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
      inOrder = inOrder && groups[i].offsets[bank] <= BankEnd(groups, i, bank, layout);
    }
    if (inOrder) continue;
    LogError("StripOutJapaneseText(): Text bank " + std::string(groupWord) + " [" +
             DecimalText(std::uint32_t(i)) + "] at " + OffsetsText(groups[i]) +
             " is out of order in the text region!");
    return false;
  }
  if (layout.regionEnd > imageSize) {
    LogError("StripOutJapaneseText(): Text region ends beyond the image!");
    return false;
  }
  return true;
}

void CacheKeptText(std::span<const std::uint8_t> image, std::vector<TextBankGroup>& groups,
                   const TextLayout& layout) {
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const std::uint32_t start = groups[i].offsets[layout.keptBank];
    const auto bank = image.subspan(start, BankEnd(groups, i, layout.keptBank, layout) - start);
    groups[i].keptText.assign(bank.begin(), bank.end());
  }
}

// "Updated E [old E],  J [old J] -> [new E]": the bank kept first, then the
// emptied ones in table order.
void TraceMove(const TextLayout& layout, std::uint32_t newOffset,
               const std::vector<std::uint32_t>& oldOffsets) {
  std::string text = "ROM::StripOutJapaneseText(): Updated " +
                     std::string(layout.bankLetters[layout.keptBank]) + " [" +
                     ToHexText(oldOffsets[layout.keptBank]) + "]";
  for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
    if (bank == layout.keptBank) continue;
    text +=
        ",  " + std::string(layout.bankLetters[bank]) + " [" + ToHexText(oldOffsets[bank]) + "]";
  }
  LogTrace(text + " -> [" + ToHexText(newOffset) + "]");
}

// Writes the banks the region reads back to back against the region end, last
// first, and points every other bank of a group at the start (those before)
// or the end (those after) of the kept one: empty.
std::uint32_t RepackKeptText(std::span<std::uint8_t> image, std::span<std::uint8_t> table,
                             const std::vector<TextBankGroup>& groups, const TextLayout& layout,
                             bool trace) {
  std::uint32_t cursor = layout.regionEnd;
  for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
    const auto length = static_cast<std::uint32_t>(group->keptText.size());
    cursor -= length;
    std::copy(group->keptText.begin(), group->keptText.end(), image.begin() + cursor);
    std::vector<std::uint32_t> oldOffsets;
    for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
      const std::uint32_t position = BankPosition(*group, bank);
      oldOffsets.push_back(GetDWORDFromOffset(table, position));
      SetDWORDToffset(table, position, bank <= layout.keptBank ? cursor : cursor + length);
    }
    if (trace) TraceMove(layout, cursor, oldOffsets);
  }
  return cursor;
}

std::vector<MovedTextBank> RecordBanks(const std::vector<TextBankGroup>& groups,
                                       const TextLayout& layout) {
  std::vector<MovedTextBank> banks;
  for (const TextBankGroup& group : groups) {
    banks.push_back({BankPosition(group, layout.keptBank),
                     static_cast<std::uint32_t>(group.keptText.size()),
                     ContentCrc32(group.keptText)});
  }
  return banks;
}

// The first and last groups never move in the game as it ships.
bool EdgeGroupsAsShipped(std::span<const std::uint8_t> image,
                         const std::vector<TextBankGroup>& groups, const TextLayout& layout) {
  if (!Matches(groups.front(), layout.firstGroup, layout)) {
    LogError(
        "StripOutJapaneseText(): First entry in InStageText collection was not what was expected!");
    if (AlreadyRandomised(image, groups, layout)) {
      LogError(
          "StripOutJapaneseText(): This image has already been randomised; give Velmo your "
          "original image");
    }
    return false;
  }
  if (!Matches(groups.back(), layout.lastGroup, layout)) {
    LogError(
        "StripOutJapaneseText(): Last entry in InStageText collection was not what was expected!");
    return false;
  }
  return true;
}

}  // namespace

bool StripOutJapaneseText(std::span<std::uint8_t> image, ByteBuffer& inflated21990,
                          const ConfigFile& config, std::vector<MovedTextBank>& movedBanks,
                          const TextBankTable& banks) {
  movedBanks.clear();
  const TextLayout& layout = *banks.layout;
  const std::uint32_t firstId = GetDWORDFromOffset(inflated21990, banks.entriesPosition);
  if (firstId != kFirstTextAssetId) {
    LogUnexpectedFirstEntry(firstId);
    return false;
  }
  std::vector<TextBankGroup> groups;
  if (!CollectGroups(inflated21990, banks, groups)) return false;
  if (!EdgeGroupsAsShipped(image, groups, layout)) return false;
  if (!GroupsLieInOrder(groups, layout, image.size())) return false;
  CacheKeptText(image, groups, layout);
  LogInfo("StripOutJapaneseText(): Finished parsing 21990 block and caching data");

  std::fill(image.begin() + layout.regionStart, image.begin() + layout.regionEnd, 0);
  LogInfo("StripOutJapaneseText(): Text block wiped");

  const std::uint32_t lowestBank =
      RepackKeptText(image, inflated21990, groups, layout, TraceLoggingEnabled(config));
  LogInfo("StripOutJapaneseText(): Finished reorganising text data [" +
          DecimalText(lowestBank - layout.regionStart) + "] bytes freed");
  movedBanks = RecordBanks(groups, layout);
  return true;
}

std::uint32_t LowestKeptBankOffset(std::span<const std::uint8_t> inflated21990,
                                   const TextBankTable& banks) {
  const TextLayout& layout = *banks.layout;
  std::uint32_t lowest = std::numeric_limits<std::uint32_t>::max();
  std::uint32_t position =
      banks.entriesPosition + layout.keptBank * kTableEntrySize + kEntryOffsetWord;
  for (std::uint32_t i = 0; i < kTextGroupCount; ++i, position += GroupStride(layout)) {
    lowest = std::min(lowest, GetDWORDFromOffset(inflated21990, position));
  }
  return lowest;
}

}  // namespace velmo
