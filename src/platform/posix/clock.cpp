#include "platform/clock.h"

#include <ctime>

namespace velmo::platform {

std::uint32_t CurrentTimeSeconds32() {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr)));
}

}  // namespace velmo::platform
