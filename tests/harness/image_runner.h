#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "harness/temp_dir.h"
#include "support/byte_buffer.h"

namespace velmo::testing {

// What one run left behind.
struct RunResult {
  ByteBuffer output;
  std::vector<std::string> log;
  std::string rdb;
  std::string config;
  std::optional<std::string> spoiler;  // absent when no spoiler log was written
};

// Whole runs of Velmo, in this process, on one image in one directory beside
// a fake executable, so that every run sees the same paths and their outputs
// can be compared byte for byte. Each run starts afresh from the input, a
// database holding one older entry, and a configuration asking for the
// database update followed by the lines given.
class ImageRunner {
 public:
  static constexpr const char* kExistingRdb = "[Existing]\nGood Name=Other\n";

  // The input is given to Velmo under inputName in the runner's directory.
  explicit ImageRunner(ByteBuffer input, const std::string& inputName = "goldeneye.z64")
      : input_(std::move(input)), inputPath_(dir_.File(inputName)) {}

  // The run the clock's seed makes; the input must come through unchanged.
  RunResult Run(std::uint32_t clockSeed, const std::string& configLines = {});

  const ByteBuffer& Input() const { return input_; }
  const std::string& InputPath() const { return inputPath_; }
  // Every file the runs left in the directory, sorted.
  std::vector<std::string> FileNames() const;
  std::string OutputPath() const { return dir_.File("goldeneye_rand.z64"); }
  std::string SpoilerPath() const { return dir_.File("goldeneye_rand_spoiler.txt"); }

 private:
  ByteBuffer input_;
  TempDir dir_;
  std::string inputPath_;
  std::string configPath_ = dir_.File("Velmo.ini");
  std::string rdbPath_ = dir_.File("Project64.rdb");
};

}  // namespace velmo::testing
