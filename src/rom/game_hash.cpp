#include "rom/game_hash.h"

#include "support/content_crc.h"
#include "support/number_text.h"

namespace velmo {
namespace {

constexpr int kWordCount = 4;
constexpr int kBitsPerWord = 6;
constexpr int kWordMask = (1 << kBitsPerWord) - 1;

// A hash that read the same for two CRCs, or a word that broke into two,
// would mislead the players comparing them.
constexpr bool WordsAreDistinctSingleWords() {
  for (std::size_t i = 0; i < kGameHashWords.size(); ++i) {
    if (kGameHashWords[i].empty() || kGameHashWords[i].find(' ') != std::string_view::npos) {
      return false;
    }
    for (std::size_t j = i + 1; j < kGameHashWords.size(); ++j) {
      if (kGameHashWords[i] == kGameHashWords[j]) return false;
    }
  }
  return true;
}
static_assert(WordsAreDistinctSingleWords());
static_assert(kGameHashWords.size() == 1u << kBitsPerWord);

}  // namespace

std::string GameHashWords(std::uint32_t crc) {
  std::string words;
  for (int group = 0; group < kWordCount; ++group) {
    // The first group is bits 31 to 26, the fourth bits 13 to 8.
    const int shift = 32 - kBitsPerWord * (group + 1);
    if (group > 0) words += ' ';
    words += kGameHashWords[(crc >> shift) & kWordMask];
  }
  return words;
}

GameHash ComputeGameHash(std::span<const std::uint8_t> image) {
  const std::uint32_t crc = ContentCrc32(image);
  return {crc, ToUpperHexText(crc), GameHashWords(crc)};
}

}  // namespace velmo
