#include "rom/rom.h"

#include <array>

#include "assets/data_block.h"
#include "assets/file_table.h"
#include "assets/table_write_back.h"
#include "assets/text_banks.h"
#include "cartridge/checksum_update.h"
#include "cartridge/rom_header.h"
#include "emulator/rdb_update.h"
#include "platform/file_copy.h"
#include "randomise/random_source.h"
#include "rom/game_patch.h"
#include "rom/level_loop.h"
#include "rom/randomised_rom_count.h"
#include "rom/rom_verification.h"
#include "rom/run_paths.h"
#include "rom/share_code.h"
#include "rom/spoiler_log.h"
#include "support/logger.h"

namespace velmo {

ROM::ROM(std::string romPath, std::string configPath, RandomSource& random, RunOrigin origin,
         std::unique_ptr<platform::ReplacementFile> workCopy)
    : romPath(std::move(romPath)),
      workCopy(std::move(workCopy)),
      config(std::move(configPath)),
      random(random),
      origin(std::move(origin)) {}

std::uint32_t ROM::SeedInUse() const {
  return options.seed.value_or(origin.clockSeed);
}

std::string ROM::ShareCodeText() const {
  return FormatShareCode({origin.releaseNumber, SeedInUse(), options.randomisers});
}

std::span<const ROM::PipelineStep> ROM::Steps() {
  static constexpr std::array kSteps = {
      PipelineStep{&ROM::LoadFile, "LoadInROM(): Failed to load file!"},
      PipelineStep{&ROM::ProcessROMHeader, "LoadInROM(): Failed processing ROM header"},
      PipelineStep{&ROM::Load21990Data, "LoadInROM(): Failed to load 21990 data"},
      PipelineStep{&ROM::ProcessFileTable, "LoadInROM(): Failed to process 21990 block"},
      PipelineStep{&ROM::StripOutJapaneseText,
                   "LoadInROM(): Failed to strip out redundant Japanese data"},
      PipelineStep{&ROM::ProcessROM, "LoadInROM(): Failed to randomise data"},
      PipelineStep{&ROM::WriteUpdatedSetups, "LoadInROM(): Failed to write updated setups"},
      PipelineStep{&ROM::WriteUpdated21990, "LoadInROM(): Failed to write updated 21990 data"},
      PipelineStep{&ROM::RecalculateAndUpdateCRC, "LoadInROM(): Failed to recalculate checksum"},
      PipelineStep{&ROM::VerifyRandomisedROM, "LoadInROM(): Failed to verify randomised ROM"},
      PipelineStep{&ROM::SaveRandomisedROM, "LoadInROM(): Failed to save randomised ROM"},
      PipelineStep{&ROM::HashFinishedImage, "LoadInROM(): Failed to compute the game hash"},
      PipelineStep{&ROM::WritePatch, nullptr},
      PipelineStep{&ROM::WriteSpoilerLog, nullptr},
      PipelineStep{&ROM::UpdateRDB, nullptr},
  };
  return kSteps;
}

bool ROM::RunSteps(std::span<const PipelineStep> steps) {
  for (const PipelineStep& step : steps) {
    if ((this->*step.run)()) continue;
    if (step.failureMessage != nullptr) LogError(step.failureMessage);
    return false;
  }
  return true;
}

bool ROM::LoadInROM() {
  if (!RunPipeline()) {
    // A failed or refused run leaves no output of its own, and an older one
    // as it was.
    DiscardWorkCopy();
    return false;
  }
  IncrementRandomisedROMs();
  LogInfo("LoadInROM(): Finished processing ROM.");
  return true;
}

bool ROM::RunPipeline() {
  // Bad options stop the run before its first step, with only their own lines.
  if (!ReadRunOptions(config, origin.releaseNumber, options)) return false;
  if (options.seed) random.Reseed(*options.seed);
  return RunSteps(Steps());
}

void ROM::DiscardWorkCopy() {
  if (!workCopy) return;
  // Windows removes only a file nobody has open.
  romFile.Close();
  workCopy.reset();
}

bool ROM::LoadFile() {
  return romFile.LoadFile(workCopy ? workCopy->TemporaryPath() : romPath);
}

bool ROM::ProcessROMHeader() {
  // A copy in big-endian order is saved under the extension of that order.
  const std::string convertedPath = workCopy ? BigEndianOutputPathFor(romPath) : romPath;
  const HeaderStepInput input{origin.inputPath.empty() ? romPath : origin.inputPath,
                              options.convertByteOrder, convertedPath};
  bool converted = false;
  const RegionLayout* found = nullptr;
  if (!velmo::ProcessROMHeader(romFile, input, converted, found)) return false;
  regionLayout = found;
  if (converted) romPath = convertedPath;
  return true;
}

std::span<std::uint8_t> ROM::MapWholeImage() {
  std::uint8_t* image = romFile.MapAt(0);
  if (image == nullptr) {
    LogError("ROM: Unable to map ROM");
    return {};
  }
  return {image, static_cast<std::size_t>(romFile.FileSize())};
}

bool ROM::Load21990Data() {
  const auto image = MapWholeImage();
  const std::optional<DataBlockPlace> place = LocateDataBlock(image, *regionLayout);
  if (!place) return false;
  dataBlock = *place;
  return velmo::Load21990Data(image, inflated21990, dataBlock);
}

bool ROM::ProcessFileTable() {
  if (!velmo::ProcessFileTable(inflated21990, romFile.FileSize(), setupFiles, *regionLayout)) {
    return false;
  }
  textBanks = {&regionLayout->text, TextEntriesPosition(setupFiles)};
  return true;
}

bool ROM::StripOutJapaneseText() {
  const auto image = MapWholeImage();
  return !image.empty() &&
         velmo::StripOutJapaneseText(image, inflated21990, config, movedTextBanks, textBanks);
}

bool ROM::ProcessROM() {
  const auto image = MapWholeImage();
  return !image.empty() &&
         velmo::ProcessROM(image, setupFiles, options.randomisers, config, random, levelReports);
}

bool ROM::WriteUpdatedSetups() {
  const auto image = MapWholeImage();
  return !image.empty() &&
         velmo::WriteUpdatedSetups(image, setupFiles, inflated21990,
                                   LowestKeptBankOffset(inflated21990, textBanks));
}

bool ROM::WriteUpdated21990() {
  const auto image = MapWholeImage();
  return !image.empty() && velmo::WriteUpdated21990(image, inflated21990, written21990, dataBlock);
}

bool ROM::RecalculateAndUpdateCRC() {
  return velmo::RecalculateAndUpdateCRC(romFile, headerChecksum, crc1Text, crc2Text);
}

bool ROM::VerifyRandomisedROM() {
  // Through the view of the file itself: the checks read what the file holds now.
  const auto image = MapWholeImage();
  const IntendedImage intended{inflated21990,  written21990, setupFiles, movedTextBanks,
                               headerChecksum, dataBlock,    textBanks};
  return !image.empty() && velmo::VerifyRandomisedROM(image, intended);
}

// The verified image takes the output's place, on the disk, before the
// spoiler log and the database entry name it.
bool ROM::SaveRandomisedROM() {
  if (!workCopy) return true;
  const bool flushed = romFile.Flush();
  // Windows moves only a file nobody has open.
  romFile.Close();
  if (!flushed || !platform::MayReplaceFile(romPath, origin.inputPath) ||
      !workCopy->CommitAs(romPath)) {
    LogError("ROM::SaveRandomisedROM(): Unable to save the randomised image as [" + romPath + "]!");
    return false;
  }
  workCopy.reset();
  // Held until the run ends, as the copy was while it was made, so that a
  // second run for the same output is refused until then.
  romFile.LoadFile(romPath);
  return true;
}

// From the saved file itself, so that the hash is that of the image a
// player gets, whatever order the input came in.
bool ROM::HashFinishedImage() {
  const auto image = MapWholeImage();
  if (image.empty()) return false;
  finishedImageHash = velmo::ComputeGameHash(image);
  return true;
}

// Written only for a verified image, from the image the player gave.
bool ROM::WritePatch() {
  if (!options.writePatch) return true;
  const auto image = MapWholeImage();
  if (image.empty()) return true;
  velmo::WriteGamePatch(origin.inputPath.empty() ? romPath : origin.inputPath, image,
                        GamePatchMetadata(origin.releaseNumber, finishedImageHash),
                        PatchPathFor(romPath));
  return true;
}

// Written only for a verified image; like the database entry, a spoiler log
// that cannot be written is reported but fails nothing.
bool ROM::WriteSpoilerLog() {
  if (!options.spoilerLog) return true;
  const SpoilerHeader header{origin.releaseNumber,
                             SeedInUse(),
                             origin.inputPath,
                             std::string(regionLayout->spoilerName),
                             romPath,
                             crc1Text,
                             crc2Text,
                             options.randomisers,
                             ShareCodeText(),
                             finishedImageHash};
  velmo::WriteSpoilerLog(SpoilerLogPathFor(romPath), BuildSpoilerLog(header, levelReports));
  return true;
}

bool ROM::UpdateRDB() {
  return velmo::UpdateRDB(config, crc1Text, crc2Text,
                          options.pj64GameEntry ? Pj64Entry::kGameEntry : Pj64Entry::kImageSection,
                          *regionLayout);
}

void ROM::IncrementRandomisedROMs() {
  IncrementRandomisedROMCount(config);
}

}  // namespace velmo
