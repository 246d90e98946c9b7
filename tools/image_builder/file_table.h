#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image_builder/content_random.h"
#include "image_builder/text_banks.h"
#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

namespace velmo::image_builder {

// The inflated file-table block: the game's other tables first, then one
// entry per asset (identifier, name pointer, image offset) from asset 0 to
// 799 with the setup files and the text banks at their fixed places, then an
// empty entry.
ByteBuffer BuildFileTable(const std::array<std::uint32_t, level::kCount>& setupOffsets,
                          const std::vector<TextBankPair>& banks, ContentRandom& random);

// Byte offsets in the inflated table of the words of setup entry `index` and
// of text pair `pair`.
std::uint32_t SetupEntryIdPosition(int index);
std::uint32_t SetupEntryOffsetPosition(int index);
std::uint32_t TextPairIdPosition(int pair);
std::uint32_t TextPairEnglishPosition(int pair);
std::uint32_t TextPairJapanesePosition(int pair);

ByteBuffer CompressTable(const ByteBuffer& table);

// Makes the table compress to just under its space in the image, while the
// entries that Velmo rewrites (setup and text offsets) cost almost nothing
// because an exact copy of them lies shortly before: once Velmo has changed
// them, the copy no longer matches and the recompressed block cannot fit.
void FillTableToTheBrim(ByteBuffer& table, std::uint64_t contentSeed);

}  // namespace velmo::image_builder
