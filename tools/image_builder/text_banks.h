#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cartridge/region_layout.h"
#include "image_builder/content_random.h"
#include "support/byte_buffer.h"

namespace velmo::image_builder {

// One in-level text bank: it runs from its offset to the next bank's.
struct TextBank {
  std::uint32_t offset = 0;
  ByteBuffer text;
};

// One level's banks in table order: English and Japanese, and PAL English in
// the European image.
struct TextGroup {
  std::vector<TextBank> banks;
};

// The 44 groups, back to back over the region's text region: the first and
// last groups at the region's fixed places, the others of varied lengths, one
// of them with an empty kept bank (the one the region reads). English and PAL
// English banks hold ASCII text that names the bank ("[E07] ...",
// "[P07] ..."), so each can be recognised after it moved; Japanese banks hold
// two-byte characters after their "[J07]".
std::vector<TextGroup> PlanTextBanks(const TextLayout& layout, ContentRandom& random);

// The group whose bank at that place is empty, or -1.
int EmptyBankGroup(const std::vector<TextGroup>& groups, std::uint32_t bank);

// The total length of the banks at that place of every group.
std::uint32_t BankTotal(const std::vector<TextGroup>& groups, std::uint32_t bank);

void WriteTextBanks(std::span<std::uint8_t> image, const std::vector<TextGroup>& groups);

}  // namespace velmo::image_builder
