#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "randomise/random_source.h"
#include "support/byte_buffer.h"
#include "support/config_file.h"

// Pieces every fuzz target shares: a silent console, a reader for the fields
// of a fuzz input, configurations, and the property checks that end the run
// with a crash report when they fail.
namespace velmo::fuzz {

// Sends all console output nowhere for the rest of the process: nearly every
// input makes the code under test log, and writing it would slow the fuzzer
// down and bury its own report.
void SilenceConsole();

// Like SilenceConsole, but keeps the log lines written since the last call of
// TakeLogLines ("ERROR " and the message, without the line feed), for targets
// that check what the code under test reported. Lines are told apart by the
// logger's own writes (level word, message, line feed), so text from the image
// that the header report shows can never pass for a log line, whatever line
// feeds or level words it holds.
void CaptureConsole();
std::vector<std::string> TakeLogLines();

// Stops the fuzzer with a message on standard error, as a crash, so that the
// input is kept and reported like one that made the code fault.
[[noreturn]] void Fail(const char* property);

inline void Check(bool condition, const char* property) {
  if (!condition) Fail(property);
}

// Reads the fields of a fuzz input from its front. Fields past the end read as
// zeros, so every input, however short, is a valid one.
class FuzzInput {
 public:
  explicit FuzzInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint8_t Byte();
  std::uint16_t Half();  // big-endian
  std::uint32_t Word();  // big-endian
  // Up to `count` bytes; fewer when the input ends first.
  std::span<const std::uint8_t> Take(std::size_t count);
  // Everything not yet read.
  std::span<const std::uint8_t> Rest();
  bool AtEnd() const { return position_ >= bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Whole-file reads and writes in one call each, for the targets that run on
// image files: the test helpers go byte by byte, which at 12 MiB per run would
// be most of the run. A file that cannot be read gives an empty buffer.
void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);
ByteBuffer ReadFileBytes(const std::string& path);

// Configurations that live until the process ends and are never written back:
// one with no keys, and one that turns TRACE lines on.
const ConfigFile& EmptyConfig();
const ConfigFile& TracingConfig();

// A random source for code that must not draw: any draw fails the run.
class NoDraws final : public RandomSource {
 public:
  std::uint32_t Draw() override { Fail("code that must not draw took a random draw"); }
  void Reseed(std::uint32_t) override {}
};

}  // namespace velmo::fuzz
