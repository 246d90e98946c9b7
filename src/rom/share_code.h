#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "randomise/randomiser_switches.h"

namespace velmo {

// What decides the game a run makes: the release that made it, the seed and
// the six randomiser switches. Written R<release>-<seed>-<switches>, the
// switches as six digits 1 (on) or 0 (off) in the order of
// kRandomiserSwitchKeys, so that players racing the same game can pass one
// word around, e.g. R3-1765173600-111111.
struct ShareCode {
  std::uint16_t releaseNumber = 0;
  std::uint32_t seed = 0;
  RandomiserSwitches switches;
};

// The one text of a code: decimal numbers without leading zeros.
std::string FormatShareCode(const ShareCode& code);

// A share code read for a Velmo of thisRelease: the code, or the whole ERROR
// text saying why it is refused.
struct ShareCodeReading {
  std::optional<ShareCode> code;
  std::string refusal;  // empty when code is set
};

// Takes exactly the text FormatShareCode writes: no spaces or signs, no
// leading zeros, a seed that fits 32 bits and a release 16 bits, six digits
// 0 or 1. A well-formed code of another release is refused too, since it
// would make a different game here.
ShareCodeReading ReadShareCode(std::string_view text, std::uint16_t thisRelease);

}  // namespace velmo
