#include "rom/rom.h"

#include <array>

#include "app/logger.h"
#include "emulator/rdb_update.h"
#include "rom/checksum_update.h"
#include "rom/randomised_rom_count.h"
#include "rom/rom_header.h"

namespace velmo {
namespace {

// One pipeline step and the line the pipeline adds when it fails.
struct PipelineStep {
  bool (ROM::*run)();
  const char* failureMessage;
};

}  // namespace

ROM::ROM(std::string romPath, std::string configPath, RandomSource& random)
    : romPath(std::move(romPath)), config(std::move(configPath)), random(random) {}

bool ROM::LoadInROM() {
  static constexpr std::array kSteps = {
      PipelineStep{&ROM::LoadFile, "LoadInROM(): Failed to load file!"},
      PipelineStep{&ROM::ProcessROMHeader, "LoadInROM(): Failed processing ROM header"},
      PipelineStep{&ROM::RecalculateAndUpdateCRC, "LoadInROM(): Failed to recalculate checksum"},
      PipelineStep{&ROM::UpdateRDB, nullptr},
  };
  for (const PipelineStep& step : kSteps) {
    if ((this->*step.run)()) continue;
    LogError(step.failureMessage);
    return false;
  }
  IncrementRandomisedROMs();
  LogInfo("LoadInROM(): Finished processing ROM.");
  return true;
}

bool ROM::LoadFile() {
  return romFile.LoadFile(romPath);
}

bool ROM::ProcessROMHeader() {
  return velmo::ProcessROMHeader(romFile);
}

bool ROM::RecalculateAndUpdateCRC() {
  return velmo::RecalculateAndUpdateCRC(romFile, crc1Text, crc2Text);
}

bool ROM::UpdateRDB() {
  return velmo::UpdateRDB(config, crc1Text, crc2Text);
}

void ROM::IncrementRandomisedROMs() {
  IncrementRandomisedROMCount(config);
}

}  // namespace velmo
