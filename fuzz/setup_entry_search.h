#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "cartridge/region_layout.h"

namespace velmo::fuzz {

// Where the fuzzers expect Velmo to find the setup entries of a region's
// inflated table, worked out apart from Velmo's own search so that each checks
// the other: the region's fixed place when it has one, otherwise the first
// word-aligned place where assets 617 to 637 and then 638 follow at 12-byte
// steps, or none.
std::optional<std::uint32_t> ExpectedSetupEntries(std::span<const std::uint8_t> table,
                                                  const RegionLayout& region);

}  // namespace velmo::fuzz
