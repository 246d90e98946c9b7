#pragma once

#include <cstdint>
#include <span>

namespace velmo {

// An inclusive run of guard body types (record byte 9 of a guard).
struct BodyTypeRange {
  std::uint32_t first;
  std::uint32_t last;

  constexpr bool Contains(std::uint32_t bodyType) const {
    return bodyType >= first && bodyType <= last;
  }
};

constexpr bool AnyRangeContains(std::span<const BodyTypeRange> ranges, std::uint32_t bodyType) {
  for (const BodyTypeRange& range : ranges) {
    if (range.Contains(bodyType)) return true;
  }
  return false;
}

}  // namespace velmo
