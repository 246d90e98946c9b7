#include "support/logger.h"

#include "platform/console.h"

namespace velmo {
namespace {

// The console every message goes to: fetched once, as the process's one
// standard-output handle, unless a test has redirected it.
platform::Console*& ActiveConsoleSlot() {
  static platform::Console* console = nullptr;
  return console;
}

platform::Console& ActiveConsole() {
  platform::Console*& slot = ActiveConsoleSlot();
  if (slot == nullptr) slot = &platform::StandardConsole();
  return *slot;
}

void SetColour(platform::Console& console, std::uint16_t attribute) {
  // Text written so far must reach the screen in its own colour.
  console.Flush();
  console.SetAttribute(attribute);
}

void LogLine(std::string_view prefix, std::uint16_t prefixColour, std::string_view message) {
  platform::Console& console = ActiveConsole();
  SetColour(console, prefixColour);
  console.Write(prefix);
  SetColour(console, kColourDefault);
  SetColour(console, kColourDefault);
  console.Write(message);
  SetColour(console, kColourDefault);
  console.Write("\n");
}

}  // namespace

void WriteColoured(std::string_view text, std::uint16_t attribute) {
  platform::Console& console = ActiveConsole();
  SetColour(console, attribute);
  console.Write(text);
  SetColour(console, kColourDefault);
}

void WritePlain(std::string_view text) {
  ActiveConsole().Write(text);
}

void FlushConsole() {
  ActiveConsole().Flush();
}

void LogTrace(std::string_view message) {
  LogLine("TRACE ", kColourMagenta, message);
}
void LogInfo(std::string_view message) {
  LogLine("INFO ", kColourDefault, message);
}
void LogWarn(std::string_view message) {
  LogLine("WARN ", kColourYellow, message);
}
void LogError(std::string_view message) {
  LogLine("ERROR ", kColourRed, message);
}
void LogSuccess(std::string_view message) {
  LogLine("SUCCESS ", kColourGreen, message);
}

ScopedConsoleRedirect::ScopedConsoleRedirect(platform::Console& console)
    : previous_(&ActiveConsole()) {
  ActiveConsoleSlot() = &console;
}

ScopedConsoleRedirect::~ScopedConsoleRedirect() {
  ActiveConsoleSlot() = previous_;
}

}  // namespace velmo
