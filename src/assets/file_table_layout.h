#pragma once

#include <cstdint>

namespace velmo {

// Where the game keeps its file table: one compressed block (the "21990
// block", after its North American image offset) whose inflated form holds
// 12-byte entries of asset identifier, an unused word and the asset's image
// offset. Each region's block has a place of its own (data_block.h); these
// are North America's, whose table also has its entries at fixed places.
inline constexpr std::uint32_t k21990BlockOffset = 0x21990;
inline constexpr std::uint32_t k21990BlockSpace = 0x11BFF;  // 72,703 bytes
inline constexpr int k21990MemLevel = 3;

inline constexpr std::uint32_t kTableEntrySize = 12;
inline constexpr std::uint32_t kEntryOffsetWord = 8;  // image offset within an entry

// The 21 setup-file entries, followed directly by the text-bank entries.
inline constexpr std::uint32_t kSetupEntriesStart = 0x26FB0;
inline constexpr std::uint32_t kTextPairsStart = 0x270AC;

}  // namespace velmo
