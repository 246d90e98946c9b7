#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image_builder/content_random.h"
#include "support/byte_buffer.h"

namespace velmo::image_builder {

// One pair of in-level text banks: the English bank runs from its offset to
// the Japanese bank's, the Japanese bank up to the next pair's English bank.
struct TextBankPair {
  std::uint32_t englishOffset = 0;
  std::uint32_t japaneseOffset = 0;
  ByteBuffer english;
  ByteBuffer japanese;
};

// The 44 pairs, back to back over the text region: the first and last pairs at
// their fixed places with 16-byte English banks, the others of varied lengths,
// one of them with an empty English bank. English banks hold ASCII text that
// names the bank ("[E07] ..."), so each can be recognised after it moved;
// Japanese banks hold two-byte characters.
std::vector<TextBankPair> PlanTextBanks(ContentRandom& random);

// The pair whose English bank is empty.
int EmptyEnglishPair(const std::vector<TextBankPair>& pairs);

void WriteTextBanks(std::span<std::uint8_t> image, const std::vector<TextBankPair>& pairs);

}  // namespace velmo::image_builder
