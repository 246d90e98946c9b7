#include "platform/clock.h"

#include <time.h>

namespace velmo::platform {

std::uint32_t CurrentTimeSeconds32() {
  // The 64-bit time, so the low 32 bits stay right after 2038.
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(_time64(nullptr)));
}

}  // namespace velmo::platform
