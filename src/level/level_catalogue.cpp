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
    {617, level::kArchives, 0x8AF81F, 5}, {618, level::kFacility, 0x8B33AF, 5},
    {619, level::kAztec, 0x8B5CAF, 5},    {620, level::kCaves, 0x8B9B0F, 5},
    {621, level::kControl, 0x8BD60F, 5},  {622, level::kCradle, 0x8BF23F, 5},
    {623, level::kEgypt, 0x8C10CF, 5},    {624, level::kDam, 0x8C539F, 5},
    {625, level::kDepo, 0x8C832F, 5},     {626, level::kFrigate, 0x8CA67F, 5},
    {627, level::kJungle, 0x8CDD7F, 5},   {628, level::kCuba, 0x8CE34F, 5},
    {629, level::kStreets, 0x8D12CF, 5},  {630, level::kRunway, 0x8D2B2F, 5},
    {631, level::kBunker2, 0x8D518F, 5},  {632, level::kBunker1, 0x8D6BBF, 5},
    {633, level::kSurface1, 0x8DAECF, 5}, {634, level::kSurface2, 0x8DEFBF, 5},
    {635, level::kSilo, 0x8E1A0F, 5},     {636, level::kStatue, 0x8E41DF, 5},
    {637, level::kTrain, 0x8E740F, 6},
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
