#include "randomise/counted_civilians.h"

#include <algorithm>
#include <array>
#include <span>

namespace velmo {
namespace {

struct LevelCivilians {
  LevelId levelId;
  std::span<const std::uint8_t> guardIds;
};

constexpr std::array<std::uint8_t, 15> kFacilityCivilians = {51, 52, 53, 54, 55, 57, 58, 59,
                                                             60, 61, 62, 63, 64, 65, 66};
constexpr std::array<std::uint8_t, 10> kSiloCivilians = {54, 55, 56, 57, 58, 59, 60, 61, 62, 63};
constexpr std::array<std::uint8_t, 5> kCavesCivilians = {73, 74, 75, 84, 85};

constexpr std::array<LevelCivilians, 3> kCountedCivilians = {{
    {level::kFacility, kFacilityCivilians},
    {level::kSilo, kSiloCivilians},
    {level::kCaves, kCavesCivilians},
}};

}  // namespace

bool IsCountedCivilian(LevelId levelId, std::uint8_t guardId) {
  for (const LevelCivilians& level : kCountedCivilians) {
    if (level.levelId != levelId) continue;
    return std::find(level.guardIds.begin(), level.guardIds.end(), guardId) != level.guardIds.end();
  }
  return false;
}

}  // namespace velmo
