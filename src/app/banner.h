#pragma once

#include <cstdint>

namespace velmo {

// The greeting printed on every start, before the arguments are looked at.
void PrintBanner(std::uint16_t releaseNumber);

}  // namespace velmo
