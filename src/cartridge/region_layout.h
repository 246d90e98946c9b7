#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "cartridge/checksum.h"

namespace velmo {

// The game sold as three cartridges: North American, European (PAL) and
// Japanese. They hold the same 21 setup files and 44 groups of text banks,
// and every guard, weapon and key record is the same in all three; what
// differs is where things lie, how many text banks each level has and which
// of them the game reads. A region is therefore a table of figures, and every
// step reads the layout it is given.

inline constexpr std::size_t kRegionSetupCount = 21;
inline constexpr std::uint32_t kTextGroupCount = 44;
inline constexpr std::uint32_t kFirstTextAssetId = 638;
inline constexpr std::size_t kMostBanksPerGroup = 3;

// The compressed block that holds the file table. North America's room is
// fixed; the others' comes from the image's boot code, which names the
// block's start and end.
struct DataBlockLayout {
  std::uint32_t offset = 0;
  std::optional<std::uint32_t> fixedRoom;
};

// Where a setup file lies in the original image: its start and its end bound
// (the last byte before the next file's space).
struct SetupPlacement {
  std::uint32_t offset = 0;
  std::uint32_t endBound = 0;
};

// The in-level text: for each of the 44 levels' groups, two banks (English,
// Japanese) or three (English, Japanese, PAL English), in table order. The
// game reads one bank of each group; the others are never read.
struct TextLayout {
  std::uint32_t banksPerGroup = 2;
  std::uint32_t keptBank = 0;  // the bank the region reads, by its place in a group
  std::uint32_t lastAssetId = 0;
  std::uint32_t regionStart = 0;
  std::uint32_t regionEnd = 0;
  std::array<std::uint32_t, kMostBanksPerGroup> firstGroup{};
  std::array<std::uint32_t, kMostBanksPerGroup> lastGroup{};
  std::array<std::string_view, kMostBanksPerGroup> bankLetters{};  // "E", "J", "P"
  std::array<std::string_view, kMostBanksPerGroup> bankNames{};    // "English", ...
};

struct RegionLayout {
  std::string_view gameCode;  // bytes 0x3B to 0x3E of the header
  std::uint8_t countryCode = 0;
  std::string_view adjective;       // "European", for refusals
  std::string_view headerNote;      // the header step's extra line; empty for none
  std::string_view spoilerName;     // the spoiler log's Region line; empty for none
  HeaderChecksum originalChecksum;  // of the unchanged cartridge, Project64's key
  DataBlockLayout dataBlock;
  // Where the setup files' entries start in the inflated table; absent when
  // the table has to be searched for them.
  std::optional<std::uint32_t> setupEntriesPosition;
  std::array<SetupPlacement, kRegionSetupCount> setups{};
  TextLayout text;
};

namespace region {
extern const RegionLayout kNorthAmerica;
extern const RegionLayout kEurope;
extern const RegionLayout kJapan;
}  // namespace region

// Every region, North America first.
std::span<const RegionLayout* const> AllRegions();

// The region whose cartridge carries that game code, or none.
const RegionLayout* RegionForGameCode(std::string_view gameCode);

}  // namespace velmo
