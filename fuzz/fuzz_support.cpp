#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <utility>

#include "harness/temp_dir.h"
#include "platform/console.h"
#include "support/logger.h"

namespace velmo::fuzz {
namespace {

class QuietConsole final : public platform::Console {
 public:
  void SetAttribute(std::uint16_t) override {}
  void Write(std::string_view text) override {
    if (keepWrites) writes.emplace_back(text);
  }
  void Flush() override {}

  bool keepWrites = false;
  std::vector<std::string> writes;
};

bool IsLevelWord(const std::string& text) {
  return text == "TRACE " || text == "INFO " || text == "WARN " || text == "ERROR " ||
         text == "SUCCESS ";
}

QuietConsole& InstallQuietConsole() {
  static QuietConsole console;
  static ScopedConsoleRedirect redirect(console);
  return console;
}

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
  InstallQuietConsole();
}

void CaptureConsole() {
  InstallQuietConsole().keepWrites = true;
}

std::vector<std::string> TakeLogLines() {
  const std::vector<std::string> writes = std::exchange(InstallQuietConsole().writes, {});
  std::vector<std::string> lines;
  for (std::size_t i = 0; i + 2 < writes.size(); ++i) {
    if (!IsLevelWord(writes[i]) || writes[i + 2] != "\n") continue;
    lines.push_back(writes[i] + writes[i + 1]);
    i += 2;
  }
  return lines;
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

void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Check(file != nullptr, "a work file cannot be written");
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  Check(std::fclose(file) == 0 && written, "a work file was not written whole");
}

ByteBuffer ReadFileBytes(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  std::FILE* file = error ? nullptr : std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  ByteBuffer bytes(static_cast<std::size_t>(size));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  return bytes;
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
