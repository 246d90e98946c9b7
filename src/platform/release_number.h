#pragma once

#include <cstdint>
#include <string>

namespace velmo::platform {

// The fourth component of the executable's version (a.b.c.d), or 0 when the
// executable carries none.
std::uint16_t GetReleaseNumber(const std::string& executablePath);

}  // namespace velmo::platform
