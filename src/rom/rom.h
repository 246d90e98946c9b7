#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/config_file.h"
#include "assets/setup_file_entry.h"
#include "assets/text_banks.h"
#include "rom/byte_buffer.h"
#include "rom/mapped_rom_file.h"

namespace velmo {

class RandomSource;

// Everything one run works on: the image copy, the inflated file table with
// the setup files found in it, what was kept of the moved text banks, the new
// checksum texts and the configuration.
// LoadInROM runs the processing steps in their fixed order and stops at the
// first failure. Teardown runs in reverse member order, so the configuration
// is saved first. The random source must outlive the object.
class ROM {
 public:
  ROM(std::string romPath, std::string configPath, RandomSource& random);
  ROM(const ROM&) = delete;
  ROM& operator=(const ROM&) = delete;

  bool LoadInROM();

 private:
  // One pipeline step and the line LoadInROM adds when it fails.
  struct PipelineStep {
    bool (ROM::*run)();
    const char* failureMessage;
  };

  // The steps of LoadInROM, in their order.
  static std::span<const PipelineStep> Steps();
  // Runs steps in order and stops at the first that fails, logging its line.
  bool RunSteps(std::span<const PipelineStep> steps);

  bool LoadFile();
  bool ProcessROMHeader();
  bool Load21990Data();
  bool ProcessFileTable();
  bool StripOutJapaneseText();
  bool ProcessROM();
  bool WriteUpdatedSetups();
  bool WriteUpdated21990();
  bool RecalculateAndUpdateCRC();
  bool VerifyRandomisedROM();
  bool UpdateRDB();
  void IncrementRandomisedROMs();

  // The whole image through one view; empty when it cannot be mapped. Valid
  // until the next access to romFile.
  std::span<std::uint8_t> MapWholeImage();

  std::string romPath;
  std::string crc1Text;
  std::string crc2Text;
  MappedRomFile romFile;
  ByteBuffer inflated21990;
  std::vector<SetupFileEntry> setupFiles;
  std::vector<MovedTextBank> movedTextBanks;
  ConfigFile config;
  RandomSource& random;

  // Tests only: runs the steps with a fault put in between two of them, to
  // show that the checks of the last steps catch it.
  friend class RomPipelineFaults;
};

}  // namespace velmo
