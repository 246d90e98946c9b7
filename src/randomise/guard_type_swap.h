#pragma once

#include <cstdint>
#include <optional>

#include "level/level_catalogue.h"

namespace velmo {

// The guard-type swap of a level: its most common guard body type, which
// trades places with body type 35, and the value a guard turned into type 35
// without a weapon gets in its record bytes 10 and 11 (byte 10 is always 4).
struct GuardTypeSwap {
  std::uint32_t defaultGuardType;
  std::uint8_t type35Byte11;
};

inline constexpr std::uint32_t kSwappedBodyType = 35;
inline constexpr std::uint8_t kType35Byte10 = 4;

// The swap of Facility, Silo or Caves; nothing for any other level.
std::optional<GuardTypeSwap> FindGuardTypeSwap(LevelId levelId);

// The swap of a level that has one. Any other level is reported with a WARN
// line and gets Facility's swap.
GuardTypeSwap GetGuardTypeSwap(LevelId levelId);

}  // namespace velmo
