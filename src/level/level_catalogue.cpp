#include "level/level_catalogue.h"

#include <string_view>

namespace velmo {
namespace {

constexpr std::array<std::string_view, level::kCount> kLevelNames = {
    "Dam",      "Facility", "Runway", "Surface 1", "Bunker 1", "Frigate", "Surface 2",
    "Bunker 2", "Silo",     "Depo",   "Jungle",    "Train",    "Streets", "Statue",
    "Archives", "Control",  "Caves",  "Cradle",    "Aztec",    "Egypt",   "Cuba",
};

}  // namespace

// Train's file only fits back with zlib's larger memLevel 6.
const std::array<SetupFileInfo, level::kCount> kSetupFiles = {{
    {617, level::kArchives, 5}, {618, level::kFacility, 5}, {619, level::kAztec, 5},
    {620, level::kCaves, 5},    {621, level::kControl, 5},  {622, level::kCradle, 5},
    {623, level::kEgypt, 5},    {624, level::kDam, 5},      {625, level::kDepo, 5},
    {626, level::kFrigate, 5},  {627, level::kJungle, 5},   {628, level::kCuba, 5},
    {629, level::kStreets, 5},  {630, level::kRunway, 5},   {631, level::kBunker2, 5},
    {632, level::kBunker1, 5},  {633, level::kSurface1, 5}, {634, level::kSurface2, 5},
    {635, level::kSilo, 5},     {636, level::kStatue, 5},   {637, level::kTrain, 6},
}};

std::string GetLevelName(LevelId id) {
  if (id < 0 || id >= level::kCount) return "UNKNOWN";
  return std::string(kLevelNames[static_cast<size_t>(id)]);
}

std::optional<SetupFileInfo> FindSetupFile(std::uint32_t assetId) {
  if (assetId < kFirstSetupAssetId || assetId > kLastSetupAssetId) return std::nullopt;
  return kSetupFiles[assetId - kFirstSetupAssetId];
}

}  // namespace velmo
