#include "assets/text_banks.h"

#include <algorithm>
#include <limits>

#include "assets/file_table_layout.h"
#include "support/buffer_words.h"
#include "support/config_file.h"
#include "support/content_crc.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// A pair is two table entries: English, then Japanese.
constexpr std::uint32_t kPairStride = 2 * kTableEntrySize;
constexpr std::uint32_t kJapaneseOffsetWord = kTableEntrySize + kEntryOffsetWord;
constexpr std::uint32_t kFirstEnglishId = 638;
constexpr std::uint32_t kEnglishIdSpan = 87;  // identifiers 638 to 725

// The text banks as the game ships them: the first and the last pair never move.
struct ExpectedPair {
  std::uint32_t ePosition, jPosition, eOffset, jOffset;
};
constexpr ExpectedPair kExpectedFirstPair{0x270B4, 0x270C0, 0x8E7410, 0x8E7420};
constexpr ExpectedPair kExpectedLastPair{0x274BC, 0x274C8, 0x8F7DC0, 0x8F7DD0};

bool Matches(const TextBankPair& pair, const ExpectedPair& expected) {
  return pair.ePosition == expected.ePosition && pair.jPosition == expected.jPosition &&
         pair.eOffset == expected.eOffset && pair.jOffset == expected.jOffset;
}

// Velmo's own output: its first Japanese bank is already empty (it ends where
// the next pair's English bank begins), and the text region is already
// cleared up to the first English bank, which the repacking moved up.
bool AlreadyRandomised(std::span<const std::uint8_t> image,
                       const std::vector<TextBankPair>& pairs) {
  const TextBankPair& first = pairs.front();
  const std::uint32_t regionStart = kExpectedFirstPair.eOffset;
  if (first.jOffset != pairs[1].eOffset || first.eOffset <= regionStart ||
      first.eOffset > image.size()) {
    return false;
  }
  return std::all_of(image.begin() + regionStart, image.begin() + first.eOffset,
                     [](std::uint8_t byte) { return byte == 0; });
}

void LogUnexpectedFirstEntry(std::uint32_t shown) {
  LogError("StripOutJapaneseText(): First entry in 21990 table [" + DecimalText(shown) +
           "] is not what was expected!");
}

// Reads the 44 pairs' table words; false (logged) on an identifier out of range.
bool CollectPairs(std::span<const std::uint8_t> table, std::vector<TextBankPair>& pairs) {
  std::uint32_t position = kTextPairsStart + kJapaneseOffsetWord;
  while (pairs.size() < kTextBankPairCount) {
    const std::uint32_t englishId = GetDWORDFromOffset(table, position - kJapaneseOffsetWord);
    if (englishId - kFirstEnglishId > kEnglishIdSpan) {
      LogUnexpectedFirstEntry(kFirstEnglishId);
      return false;
    }
    TextBankPair pair;
    pair.ePosition = position - kTableEntrySize;
    pair.jPosition = position;
    pair.eOffset = GetDWORDFromOffset(table, pair.ePosition);
    pair.jOffset = GetDWORDFromOffset(table, position);
    pairs.push_back(std::move(pair));
    position += kPairStride;
  }
  return true;
}

std::uint32_t RegionEnd(const std::vector<TextBankPair>& pairs) {
  const TextBankPair& last = pairs.back();
  return last.jOffset + (last.jOffset - last.eOffset);
}

// Every bank must lie in order inside the region, or the banks' lengths mean
// nothing and copying them would read and write out of place.
bool PairsLieInOrder(const std::vector<TextBankPair>& pairs, std::uint64_t imageSize) {
  const std::uint64_t regionEnd = std::uint64_t{pairs.back().jOffset} +
                                  (pairs.back().jOffset - std::uint64_t{pairs.back().eOffset});
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const std::uint64_t nextStart = i + 1 < pairs.size() ? pairs[i + 1].eOffset : regionEnd;
    if (pairs[i].eOffset <= pairs[i].jOffset && pairs[i].jOffset <= nextStart) continue;
    LogError("StripOutJapaneseText(): Text bank pair [" + DecimalText(std::uint32_t(i)) + "] at [" +
             ToHexText(pairs[i].eOffset) + "] [" + ToHexText(pairs[i].jOffset) +
             "] is out of order in the text region!");
    return false;
  }
  if (regionEnd > imageSize) {
    LogError("StripOutJapaneseText(): Text region ends beyond the image!");
    return false;
  }
  return true;
}

void CacheEnglishText(std::span<const std::uint8_t> image, std::vector<TextBankPair>& pairs) {
  for (TextBankPair& pair : pairs) {
    const auto bank = image.subspan(pair.eOffset, pair.jOffset - pair.eOffset);
    pair.eText.assign(bank.begin(), bank.end());
  }
}

// Writes the English banks back to back against the region end, last first,
// and points each Japanese entry at the end of its English bank: empty.
std::uint32_t RepackEnglishText(std::span<std::uint8_t> image, std::span<std::uint8_t> table,
                                const std::vector<TextBankPair>& pairs, bool trace) {
  std::uint32_t cursor = RegionEnd(pairs);
  for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair) {
    const auto length = static_cast<std::uint32_t>(pair->eText.size());
    cursor -= length;
    std::copy(pair->eText.begin(), pair->eText.end(), image.begin() + cursor);
    const std::uint32_t oldEnglish = GetDWORDFromOffset(table, pair->ePosition);
    const std::uint32_t oldJapanese = GetDWORDFromOffset(table, pair->jPosition);
    SetDWORDToffset(table, pair->ePosition, cursor);
    SetDWORDToffset(table, pair->jPosition, cursor + length);
    if (!trace) continue;
    LogTrace("ROM::StripOutJapaneseText(): Updated E [" + ToHexText(oldEnglish) + "],  J [" +
             ToHexText(oldJapanese) + "] -> [" + ToHexText(cursor) + "]");
  }
  return cursor;
}

std::vector<MovedTextBank> RecordBanks(const std::vector<TextBankPair>& pairs) {
  std::vector<MovedTextBank> banks;
  for (const TextBankPair& pair : pairs) {
    banks.push_back({pair.ePosition, pair.jPosition, static_cast<std::uint32_t>(pair.eText.size()),
                     ContentCrc32(pair.eText)});
  }
  return banks;
}

}  // namespace

bool StripOutJapaneseText(std::span<std::uint8_t> image, ByteBuffer& inflated21990,
                          const ConfigFile& config, std::vector<MovedTextBank>& movedBanks) {
  movedBanks.clear();
  const std::uint32_t firstId = GetDWORDFromOffset(inflated21990, kTextPairsStart);
  if (firstId != kFirstEnglishId) {
    LogUnexpectedFirstEntry(firstId);
    return false;
  }
  std::vector<TextBankPair> pairs;
  if (!CollectPairs(inflated21990, pairs)) return false;
  if (!Matches(pairs.front(), kExpectedFirstPair)) {
    LogError(
        "StripOutJapaneseText(): First entry in InStageText collection was not what was expected!");
    if (AlreadyRandomised(image, pairs)) {
      LogError(
          "StripOutJapaneseText(): This image has already been randomised; give Velmo your "
          "original image");
    }
    return false;
  }
  if (!Matches(pairs.back(), kExpectedLastPair)) {
    LogError(
        "StripOutJapaneseText(): Last entry in InStageText collection was not what was expected!");
    return false;
  }
  if (!PairsLieInOrder(pairs, image.size())) return false;
  CacheEnglishText(image, pairs);
  LogInfo("StripOutJapaneseText(): Finished parsing 21990 block and caching data");

  const std::uint32_t regionStart = pairs.front().eOffset;
  std::fill(image.begin() + regionStart, image.begin() + RegionEnd(pairs), 0);
  LogInfo("StripOutJapaneseText(): Text block wiped");

  const std::uint32_t lowestBank =
      RepackEnglishText(image, inflated21990, pairs, TraceLoggingEnabled(config));
  LogInfo("StripOutJapaneseText(): Finished reorganising text data [" +
          DecimalText(lowestBank - regionStart) + "] bytes freed");
  movedBanks = RecordBanks(pairs);
  return true;
}

std::uint32_t LowestEnglishBankOffset(std::span<const std::uint8_t> inflated21990) {
  std::uint32_t lowest = std::numeric_limits<std::uint32_t>::max();
  std::uint32_t position = kTextPairsStart + kEntryOffsetWord;
  for (std::uint32_t i = 0; i < kTextBankPairCount; ++i, position += kPairStride) {
    lowest = std::min(lowest, GetDWORDFromOffset(inflated21990, position));
  }
  return lowest;
}

}  // namespace velmo
