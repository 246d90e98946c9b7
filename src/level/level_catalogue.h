#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace velmo {

// A level of the game, 0 to 20; the numbering is the game's own level order,
// not the order of the setup files in the image.
using LevelId = std::int32_t;

namespace level {
inline constexpr LevelId kDam = 0;
inline constexpr LevelId kFacility = 1;
inline constexpr LevelId kRunway = 2;
inline constexpr LevelId kSurface1 = 3;
inline constexpr LevelId kBunker1 = 4;
inline constexpr LevelId kFrigate = 5;
inline constexpr LevelId kSurface2 = 6;
inline constexpr LevelId kBunker2 = 7;
inline constexpr LevelId kSilo = 8;
inline constexpr LevelId kDepo = 9;
inline constexpr LevelId kJungle = 10;
inline constexpr LevelId kTrain = 11;
inline constexpr LevelId kStreets = 12;
inline constexpr LevelId kStatue = 13;
inline constexpr LevelId kArchives = 14;
inline constexpr LevelId kControl = 15;
inline constexpr LevelId kCaves = 16;
inline constexpr LevelId kCradle = 17;
inline constexpr LevelId kAztec = 18;
inline constexpr LevelId kEgypt = 19;
inline constexpr LevelId kCuba = 20;
inline constexpr int kCount = 21;
}  // namespace level

// The display name used in log lines; "UNKNOWN" outside 0 to 20.
std::string GetLevelName(LevelId id);

// A level's setup file: its asset in the file table and the zlib memLevel it
// is recompressed with. Where it lies in the image is each region's own.
struct SetupFileInfo {
  std::uint32_t assetId;
  LevelId levelId;
  int memLevel;
};

// The 21 setup files in file-table order (by asset identifier), which is also
// their order in the image.
extern const std::array<SetupFileInfo, level::kCount> kSetupFiles;

inline constexpr std::uint32_t kFirstSetupAssetId = 617;
inline constexpr std::uint32_t kLastSetupAssetId = 637;

// The catalogue entry of a setup asset, or nothing for any other asset.
std::optional<SetupFileInfo> FindSetupFile(std::uint32_t assetId);

}  // namespace velmo
