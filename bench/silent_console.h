#pragma once

#include <cstdint>
#include <string_view>

#include "platform/console.h"

namespace velmo {

// Keeps log lines out of the timings.
class SilentConsole final : public platform::Console {
 public:
  void SetAttribute(std::uint16_t) override {}
  void Write(std::string_view) override {}
  void Flush() override {}
};

}  // namespace velmo
