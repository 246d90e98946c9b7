#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "assets/data_block.h"
#include "assets/setup_file_entry.h"
#include "assets/table_write_back.h"
#include "assets/text_banks.h"
#include "cartridge/checksum.h"
#include "cartridge/mapped_rom_file.h"
#include "cartridge/region_layout.h"
#include "level/level_report.h"
#include "platform/replacement_file.h"
#include "rom/game_hash.h"
#include "rom/run_options.h"
#include "support/byte_buffer.h"
#include "support/config_file.h"

namespace velmo {

class RandomSource;

// What the driver knows about a run that the ROM reports in the spoiler log:
// the image the copy was made from, the seed the clock gave and the release.
struct RunOrigin {
  std::string inputPath;
  std::uint32_t clockSeed = 0;
  std::uint16_t releaseNumber = 0;
};

// Everything one run works on: the image copy and the layout of its region,
// the inflated file table with the setup files found in it, what was kept of
// the moved text banks, the new checksum texts, the finished image's game
// hash, the configuration with the options read from it, and the reports of
// what each level got. LoadInROM reads the options, then runs the
// processing steps in their fixed order and stops at the first failure.
// Teardown runs in reverse member order, so the configuration is saved first.
// The random source must outlive the object.
//
// Given a work copy (the driver's copy of the input, not yet in the output's
// place), the run works on its temporary file and moves it to romPath once
// the image is verified, before anything names it; a failed run removes it,
// so an older output stays as it was. Without one the run works on romPath
// in place.
class ROM {
 public:
  ROM(std::string romPath, std::string configPath, RandomSource& random, RunOrigin origin = {},
      std::unique_ptr<platform::ReplacementFile> workCopy = nullptr);
  ROM(const ROM&) = delete;
  ROM& operator=(const ROM&) = delete;

  bool LoadInROM();
  // The configuration's seed once LoadInROM has read a valid one; otherwise
  // the clock's.
  std::uint32_t SeedInUse() const;
  // Where the randomised image is saved: the output path it was made with,
  // or the big-endian name once the header step has converted the copy.
  const std::string& ImagePath() const { return romPath; }
  // The image's region once the header step has accepted it; North America
  // before that.
  const RegionLayout& Region() const { return *regionLayout; }
  // The share code of the game the run makes: this release, SeedInUse() and
  // the switches. Meaningful once LoadInROM has read the options.
  std::string ShareCodeText() const;
  // The hash of the saved image; all empty until a run has saved one.
  const GameHash& FinishedImageHash() const { return finishedImageHash; }

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
  // The options, then every step.
  bool RunPipeline();
  // Removes the work copy of a run that did not succeed.
  void DiscardWorkCopy();

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
  bool SaveRandomisedROM();
  bool HashFinishedImage();
  bool WritePatch();
  bool WriteSpoilerLog();
  bool UpdateRDB();
  void IncrementRandomisedROMs();

  // The whole image through one view; empty when it cannot be mapped. Valid
  // until the next access to romFile.
  std::span<std::uint8_t> MapWholeImage();

  std::string romPath;
  std::string crc1Text;
  std::string crc2Text;
  // Before romFile: removed only once the file is closed, as Windows needs.
  std::unique_ptr<platform::ReplacementFile> workCopy;
  MappedRomFile romFile;
  const RegionLayout* regionLayout = &region::kNorthAmerica;
  DataBlockPlace dataBlock = NorthAmericanDataBlock();
  TextBankTable textBanks;
  ByteBuffer inflated21990;
  WrittenTableBlock written21990;
  HeaderChecksum headerChecksum;
  std::vector<SetupFileEntry> setupFiles;
  std::vector<MovedTextBank> movedTextBanks;
  ConfigFile config;
  RandomSource& random;
  RunOrigin origin;
  RunOptions options;
  std::vector<LevelReport> levelReports;
  GameHash finishedImageHash;

  // Tests only: runs the steps with a fault put in between two of them, to
  // show that the checks of the last steps catch it.
  friend class RomPipelineFaults;
};

}  // namespace velmo
