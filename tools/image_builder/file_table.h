#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image_builder/content_random.h"
#include "image_builder/image_layout.h"
#include "image_builder/text_banks.h"
#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

namespace velmo::image_builder {

// The inflated file-table block: the game's other tables first, then one
// entry per asset (identifier, name pointer, image offset) from asset 0 to
// 799 with the setup files and the text banks at the region's places, then
// an empty entry.
ByteBuffer BuildFileTable(const ImagePlaces& places,
                          const std::array<std::uint32_t, level::kCount>& setupOffsets,
                          const std::vector<TextGroup>& groups, ContentRandom& random);

// Byte offsets in the inflated table of the words of setup entry `index`, of
// the first entry of text group `group` and of the offset word of its bank
// `bank`.
std::uint32_t SetupEntryIdPosition(const ImagePlaces& places, int index);
std::uint32_t SetupEntryOffsetPosition(const ImagePlaces& places, int index);
std::uint32_t TextGroupIdPosition(const ImagePlaces& places, int group);
std::uint32_t TextBankOffsetPosition(const ImagePlaces& places, int group, std::uint32_t bank);

ByteBuffer CompressTable(const ByteBuffer& table);

// Makes the table compress to just under its space in the image, while the
// entries that Velmo rewrites (setup and text offsets) cost almost nothing
// because an exact copy of them lies shortly before: once Velmo has changed
// them, the copy no longer matches and the recompressed block cannot fit.
void FillTableToTheBrim(ByteBuffer& table, const ImagePlaces& places, std::uint64_t contentSeed);

}  // namespace velmo::image_builder
