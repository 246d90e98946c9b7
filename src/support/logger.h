#pragma once

#include <cstdint>
#include <string_view>

namespace velmo::platform {
class Console;
}

namespace velmo {

// Windows console text attributes, the colours of every message.
enum ConsoleColour : std::uint16_t {
  kColourDefault = 7,
  kColourGreen = 10,
  kColourRed = 12,
  kColourMagenta = 13,
  kColourYellow = 14,
  kColourWhite = 15,
};

// Writes one text in one colour and restores the default colour.
void WriteColoured(std::string_view text, std::uint16_t attribute);
// Writes text in the default colour, without attribute changes.
void WritePlain(std::string_view text);
// Flushes the console (an end of line with flush).
void FlushConsole();

// One message per line behind a coloured level word.
void LogTrace(std::string_view message);
void LogInfo(std::string_view message);
void LogWarn(std::string_view message);
void LogError(std::string_view message);
void LogSuccess(std::string_view message);

// Sends all console output to another console while it lives (tests record
// the output this way); restores the previous console when destroyed.
class ScopedConsoleRedirect {
 public:
  explicit ScopedConsoleRedirect(platform::Console& console);
  ~ScopedConsoleRedirect();
  ScopedConsoleRedirect(const ScopedConsoleRedirect&) = delete;
  ScopedConsoleRedirect& operator=(const ScopedConsoleRedirect&) = delete;

 private:
  platform::Console* previous_;
};

}  // namespace velmo
