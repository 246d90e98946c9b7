#pragma once

#include <cstdint>
#include <string_view>

namespace velmo::platform {

// The process's console output. Colours are Windows console text attributes
// (7 default, 10 green, 12 red, 13 magenta, 14 yellow, 15 bright white); each
// implementation renders them as its terminal allows. Text written before an
// attribute change always reaches the screen before text written after it.
class Console {
 public:
  virtual ~Console() = default;
  virtual void SetAttribute(std::uint16_t attribute) = 0;
  virtual void Write(std::string_view text) = 0;
  virtual void Flush() = 0;
};

// The real standard output of the process; lives until the process ends.
Console& StandardConsole();

}  // namespace velmo::platform
