#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/logger.h"
#include "platform/console.h"
#include "support/temp_dir.h"

namespace velmo::fuzz {
namespace {

class NullConsole final : public platform::Console {
 public:
  void SetAttribute(std::uint16_t) override {}
  void Write(std::string_view) override {}
  void Flush() override {}
};

// Loads a configuration from a file holding `text`. The object is never
// destroyed, because destruction would write the file back.
const ConfigFile& LoadConfig(const std::string& text) {
  const testing::TempDir dir;
  const std::string path = dir.File("Velmo.ini");
  testing::WriteTextFile(path, text);
  return *new ConfigFile(path);
}

}  // namespace

void SilenceConsole() {
  static NullConsole console;
  static ScopedConsoleRedirect redirect(console);
}

void Fail(const char* property) {
  std::fprintf(stderr, "==velmo-fuzz== property failed: %s\n", property);
  std::abort();
}

std::uint8_t FuzzInput::Byte() {
  if (AtEnd()) return 0;
  return bytes_[position_++];
}

std::uint16_t FuzzInput::Half() {
  const std::uint16_t high = Byte();
  return static_cast<std::uint16_t>(high << 8 | Byte());
}

std::uint32_t FuzzInput::Word() {
  const std::uint32_t high = Half();
  return high << 16 | Half();
}

std::span<const std::uint8_t> FuzzInput::Take(std::size_t count) {
  const std::span<const std::uint8_t> taken = Rest().first(std::min(count, Rest().size()));
  position_ += taken.size();
  return taken;
}

std::span<const std::uint8_t> FuzzInput::Rest() {
  return AtEnd() ? std::span<const std::uint8_t>() : bytes_.subspan(position_);
}

const ConfigFile& EmptyConfig() {
  static const ConfigFile& config = LoadConfig("");
  return config;
}

const ConfigFile& TracingConfig() {
  static const ConfigFile& config = LoadConfig("TraceLogging=1\n");
  return config;
}

}  // namespace velmo::fuzz
