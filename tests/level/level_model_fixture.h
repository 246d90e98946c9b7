#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "harness/recording_console.h"
#include "harness/scripted_random.h"
#include "harness/temp_dir.h"
#include "level/goldeneye_level.h"
#include "support/byte_buffer.h"
#include "support/config_file.h"

namespace velmo::testing {

// A level model over given bytes, with a throwaway configuration, a random
// source that fails the test on any draw (parsing and write-back draw
// nothing), and a console that records every message.
class LevelModelTest : public ::testing::Test {
 protected:
  GoldeneyeLevel& Model(const ByteBuffer& bytes, LevelId levelId = level::kDam) {
    model.emplace(config, random, bytes, levelId);
    return *model;
  }
  // Builds the model and runs both parsers in the order a level runs them.
  GoldeneyeLevel& Parse(const ByteBuffer& bytes, LevelId levelId = level::kDam) {
    Model(bytes, levelId);
    model->ProcessStartingBlock();
    model->ProcessSetupDataBlock();
    return *model;
  }

  TempDir dir;
  ConfigFile config{dir.File("Velmo.ini")};
  ScriptedRandom random{std::vector<std::uint32_t>{}};
  RecordingConsole console;
  std::optional<GoldeneyeLevel> model;
};

}  // namespace velmo::testing
