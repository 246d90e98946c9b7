#pragma once

#include <cstdint>

namespace velmo::platform {

// The low 32 bits of the current calendar time in seconds since the Unix epoch.
std::uint32_t CurrentTimeSeconds32();

}  // namespace velmo::platform
