#include "harness/image_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/driver.h"
#include "harness/recording_console.h"

namespace velmo::testing {

RunResult ImageRunner::Run(std::uint32_t clockSeed, const std::string& configLines) {
  WriteBinaryFile(inputPath_, input_);
  std::filesystem::remove(OutputPath());
  if (std::filesystem::is_regular_file(SpoilerPath())) std::filesystem::remove(SpoilerPath());
  WriteTextFile(configPath_, "UpdatePJ64=1\nPJ64RDBFile=" + rdbPath_ + "\n" + configLines);
  WriteTextFile(rdbPath_, kExistingRdb);

  RecordingConsole console;
  EXPECT_EQ(RunVelmo({dir_.File("Velmo.exe"), inputPath_}, [clockSeed] { return clockSeed; }), 0);
  EXPECT_EQ(ReadBinaryFile(inputPath_), input_) << "the input image must never change";

  RunResult result{ReadBinaryFile(OutputPath()), console.Lines(), ReadTextFile(rdbPath_),
                   ReadTextFile(configPath_), std::nullopt};
  if (std::filesystem::is_regular_file(SpoilerPath())) result.spoiler = ReadTextFile(SpoilerPath());
  return result;
}

std::vector<std::string> ImageRunner::FileNames() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velmo::testing
