#pragma once

#include <cstddef>
#include <cstdint>

#include "randomise/random_source.h"

namespace velmo {

// The randomisers' ways of using one generator value. Each call takes exactly
// one value from the source, so the order of calls fixes what a seed replays.

// One value reduced modulo count; count must not be 0.
inline std::uint32_t DrawModulo(RandomSource& random, std::uint32_t count) {
  return random.Draw() % count;
}

// One value masked with mask.
inline std::uint32_t DrawMasked(RandomSource& random, std::uint32_t mask) {
  return random.Draw() & mask;
}

// True one time in count: one value modulo count equals 0.
inline bool OneIn(RandomSource& random, std::uint32_t count) {
  return DrawModulo(random, count) == 0;
}

// An index into a non-empty list of count entries. A list of one entry has
// nothing to choose from, so it gives 0 without taking a value.
inline std::size_t DrawEntryIndex(RandomSource& random, std::size_t count) {
  if (count <= 1) return 0;
  return random.Draw() % count;
}

}  // namespace velmo
