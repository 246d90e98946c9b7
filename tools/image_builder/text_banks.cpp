#include "image_builder/text_banks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <string>
#include <string_view>

#include "image_builder/image_layout.h"
#include "image_builder/image_options.h"

namespace velmo::image_builder {
namespace {

constexpr std::uint32_t kEdgeEnglishLength = 16;
constexpr std::uint32_t kLastJapaneseLength = kTextRegionEnd - kLastJapaneseOffset;

constexpr std::array<std::string_view, 16> kWords = {
    "agent",  "report", "the",    "satellite", "control",   "door", "guard",   "keycard",
    "bunker", "train",  "escape", "mission",   "objective", "find", "destroy", "disk"};

ByteBuffer EnglishText(int pair, std::uint32_t length, ContentRandom& random) {
  std::array<char, 16> tag{};
  std::snprintf(tag.data(), tag.size(), "[E%02d] ", pair);
  std::string text = tag.data();
  for (int line = 0; text.size() < length; ++line) {
    std::array<char, 24> lineTag{};
    std::snprintf(lineTag.data(), lineTag.size(), "<E%02d:%03d>", pair, line);
    text += lineTag.data();
    std::uint32_t words = random.Between(3, 9);
    for (std::uint32_t word = 0; word < words; ++word) {
      text += ' ';
      text += kWords[random.Below(kWords.size())];
    }
    text += '\0';
  }
  text.resize(length);
  return ByteBuffer(text.begin(), text.end());
}

// Shift-JIS-like pairs of a lead byte 0x82 or 0x83 and a trail byte.
ByteBuffer JapaneseText(int pair, std::uint32_t length, ContentRandom& random) {
  std::array<char, 16> tag{};
  std::snprintf(tag.data(), tag.size(), "[J%02d]", pair);
  ByteBuffer text(tag.data(), tag.data() + std::string_view(tag.data()).size());
  while (text.size() < length) {
    text.push_back(random.OneIn(2) ? 0x82 : 0x83);
    text.push_back(static_cast<std::uint8_t>(random.Between(0x40, 0xFC)));
  }
  text.resize(length);
  return text;
}

// Lengths of the 85 banks between the first English bank and the last pair:
// Japanese bank 0, then English and Japanese banks of pairs 1 to 42, summing
// to the space between the fixed offsets.
std::vector<std::uint32_t> MiddleBankLengths(int emptyEnglishPair, ContentRandom& random) {
  std::vector<std::uint32_t> weights;
  weights.push_back(random.Between(200, 1200));
  for (int pair = 1; pair < kTextPairCount - 1; ++pair) {
    weights.push_back(pair == emptyEnglishPair ? 0 : random.Between(40, 1600));
    weights.push_back(random.Between(200, 1200));
  }
  const std::uint64_t space = kLastEnglishOffset - kFirstJapaneseOffset;
  const std::uint64_t total = std::accumulate(weights.begin(), weights.end(), std::uint64_t{0});
  std::vector<std::uint32_t> lengths;
  std::uint64_t used = 0;
  for (std::uint32_t weight : weights) {
    lengths.push_back(static_cast<std::uint32_t>(weight * space / total));
    used += lengths.back();
  }
  lengths.back() += static_cast<std::uint32_t>(space - used);
  return lengths;
}

}  // namespace

std::vector<TextBankPair> PlanTextBanks(ContentRandom& random) {
  int emptyEnglishPair = static_cast<int>(random.Between(2, kTextPairCount - 3));
  if (emptyEnglishPair == fault_target::kOutOfOrderPair) ++emptyEnglishPair;
  std::vector<std::uint32_t> middle = MiddleBankLengths(emptyEnglishPair, random);

  std::vector<std::uint32_t> englishLengths = {kEdgeEnglishLength};
  std::vector<std::uint32_t> japaneseLengths = {middle[0]};
  for (std::size_t index = 1; index + 1 < middle.size(); index += 2) {
    englishLengths.push_back(middle[index]);
    japaneseLengths.push_back(middle[index + 1]);
  }
  englishLengths.push_back(kEdgeEnglishLength);
  japaneseLengths.push_back(kLastJapaneseLength);

  std::vector<TextBankPair> pairs;
  std::uint32_t offset = kTextRegionStart;
  for (int pair = 0; pair < kTextPairCount; ++pair) {
    TextBankPair bank;
    bank.englishOffset = offset;
    bank.japaneseOffset = offset + englishLengths[pair];
    bank.english = EnglishText(pair, englishLengths[pair], random);
    bank.japanese = JapaneseText(pair, japaneseLengths[pair], random);
    offset = bank.japaneseOffset + japaneseLengths[pair];
    pairs.push_back(std::move(bank));
  }
  return pairs;
}

int EmptyEnglishPair(const std::vector<TextBankPair>& pairs) {
  for (std::size_t pair = 0; pair < pairs.size(); ++pair) {
    if (pairs[pair].english.empty()) return static_cast<int>(pair);
  }
  return -1;
}

void WriteTextBanks(std::span<std::uint8_t> image, const std::vector<TextBankPair>& pairs) {
  for (const TextBankPair& pair : pairs) {
    std::copy(pair.english.begin(), pair.english.end(), image.begin() + pair.englishOffset);
    std::copy(pair.japanese.begin(), pair.japanese.end(), image.begin() + pair.japaneseOffset);
  }
}

}  // namespace velmo::image_builder
