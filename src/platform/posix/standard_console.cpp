#include <unistd.h>

#include <cstdio>

#include "platform/console.h"

namespace velmo::platform {
namespace {

// ANSI colour sequence for a Windows console attribute.
const char* AnsiSequenceFor(std::uint16_t attribute) {
  switch (attribute) {
    case 10:
      return "\x1b[92m";
    case 12:
      return "\x1b[91m";
    case 13:
      return "\x1b[95m";
    case 14:
      return "\x1b[33m";
    case 15:
      return "\x1b[97m";
    default:
      return "\x1b[0m";
  }
}

class TerminalConsole final : public Console {
 public:
  TerminalConsole() : isTerminal_(isatty(STDOUT_FILENO) == 1) {}

  void SetAttribute(std::uint16_t attribute) override {
    if (!isTerminal_) return;
    std::fputs(AnsiSequenceFor(attribute), stdout);
  }
  void Write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
  void Flush() override { std::fflush(stdout); }

 private:
  const bool isTerminal_;
};

}  // namespace

Console& StandardConsole() {
  static TerminalConsole console;
  return console;
}

}  // namespace velmo::platform
