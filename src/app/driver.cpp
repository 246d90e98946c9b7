#include "app/driver.h"

#include <memory>
#include <optional>

#include "app/banner.h"
#include "patch/bps_patch_reader.h"
#include "platform/file_copy.h"
#include "platform/pause.h"
#include "platform/release_number.h"
#include "platform/unfinished_files.h"
#include "randomise/random_source.h"
#include "rom/patch_application.h"
#include "rom/rom.h"
#include "rom/run_paths.h"
#include "support/file_bytes.h"
#include "support/logger.h"

namespace velmo {
namespace {

void AnnounceRun(const std::string& romPath, const std::string& outputPath) {
  WriteColoured("Will load [", kColourDefault);
  WriteColoured(romPath, kColourWhite);
  WriteColoured("]\n... and save patched rom to [", kColourDefault);
  WriteColoured(outputPath, kColourWhite);
  WriteColoured("]\n", kColourDefault);
  WritePlain("\n");
  FlushConsole();
}

// Removes what runs killed part-way left for the same output, then copies the
// image beside the output, where the run works on it. The output may end up
// under the name of a copy put into big-endian order, so the leftovers of
// runs for that name are cleared as well. Null when another run is making
// one of them now, or when the copy fails.
std::unique_ptr<platform::ReplacementFile> CopyForTheRun(const std::string& romPath,
                                                         const std::string& outputPath) {
  platform::UnfinishedFiles unfinished = platform::RemoveUnfinishedFiles(outputPath);
  const std::string bigEndianPath = BigEndianOutputPathFor(outputPath);
  if (bigEndianPath != outputPath) {
    const platform::UnfinishedFiles more = platform::RemoveUnfinishedFiles(bigEndianPath);
    unfinished.removed += more.removed;
    unfinished.inUseByAnotherRun = unfinished.inUseByAnotherRun || more.inUseByAnotherRun;
  }
  if (unfinished.removed > 0) {
    LogInfo("Removed [" + std::to_string(unfinished.removed) +
            "] unfinished file(s) of an earlier run");
  }
  if (unfinished.inUseByAnotherRun) return nullptr;
  return platform::CopyFileBeside(romPath, outputPath);
}

void ReportOutcome(const ROM& rom, bool succeeded) {
  const std::uint32_t seed = rom.SeedInUse();
  if (succeeded) {
    const GameHash& hash = rom.FinishedImageHash();
    LogInfo("Randomised with seed [" + std::to_string(seed) + "]");
    LogInfo("Share code [" + rom.ShareCodeText() + "]");
    LogInfo("Game hash [" + hash.words + "] (CRC-32 " + hash.crcText + ")");
    LogSuccess("ROM has been successfully randomised :)");
    return;
  }
  LogError("Something went wrong during randomising and the ROM may not work as expected :(");
  LogError("Error provoking seed was " + std::to_string(seed));
}

// The patch among the first two files, by its magic rather than its name,
// when exactly one of them is one.
std::optional<std::size_t> PatchArgument(const std::vector<std::string>& arguments) {
  if (arguments.size() < 3) return std::nullopt;
  const bool first = IsBpsPatch(ReadFileStart(arguments[1], 4));
  const bool second = IsBpsPatch(ReadFileStart(arguments[2], 4));
  if (first == second) return std::nullopt;
  return first ? 1 : 2;
}

void AnnouncePatch(const PatchApplication& run) {
  WriteColoured("Will load [", kColourDefault);
  WriteColoured(run.imagePath, kColourWhite);
  WriteColoured("]\n... apply patch [", kColourDefault);
  WriteColoured(run.patchPath, kColourWhite);
  WriteColoured("]\n... and save patched rom to [", kColourDefault);
  WriteColoured(run.outputPath, kColourWhite);
  WriteColoured("]\n", kColourDefault);
  WritePlain("\n");
  FlushConsole();
}

// The run that makes a game from a patch: it draws nothing and writes no
// spoiler log; the game is saved under the big-endian name.
RunReport ApplyPatch(const std::string& imagePath, const std::string& patchPath,
                     const std::string& configPath) {
  const PatchApplication run{imagePath, patchPath, BigEndianOutputPathFor(OutputPathFor(imagePath)),
                             configPath};
  AnnouncePatch(run);
  const PatchOutcome outcome = ApplyPatchToImage(run);
  if (!outcome.applied) {
    LogError("No ROM was made from the patch :(");
    return RunReport{false, 0, run.outputPath, outcome.region};
  }
  LogInfo("Game hash [" + outcome.hash.words + "] (CRC-32 " + outcome.hash.crcText + ")");
  LogSuccess("ROM has been successfully made from the patch :)");
  RunReport report{true, 0, run.outputPath, outcome.region};
  report.gameHashWords = outcome.hash.words;
  report.gameHashCrc = outcome.hash.crcText;
  return report;
}

RunReport MakeReport(const ROM& rom, bool succeeded) {
  RunReport report{succeeded, rom.SeedInUse(), rom.ImagePath(), &rom.Region()};
  if (!succeeded) return report;
  report.shareCode = rom.ShareCodeText();
  report.gameHashWords = rom.FinishedImageHash().words;
  report.gameHashCrc = rom.FinishedImageHash().crcText;
  return report;
}

}  // namespace

int RunVelmo(const std::vector<std::string>& arguments, const std::function<std::uint32_t()>& clock,
             RunReport* report) {
  const std::string executablePath = arguments.empty() ? std::string() : arguments[0];
  const std::uint16_t releaseNumber = platform::GetReleaseNumber(executablePath);
  PrintBanner(releaseNumber);
  if (arguments.size() < 2) {
    LogError("No NTSC Goldeneye ROM file supplied!");
    platform::WaitForKeyPress();
    return 0;
  }

  const std::string configPath = ConfigPathFor(executablePath);
  if (const std::optional<std::size_t> patch = PatchArgument(arguments)) {
    const RunReport applied = ApplyPatch(arguments[3 - *patch], arguments[*patch], configPath);
    if (report != nullptr) *report = applied;
    platform::WaitForKeyPress();
    return 0;
  }

  const std::uint32_t seed = clock();
  ClassicRandom random(seed);
  const std::string& romPath = arguments[1];
  const std::string outputPath = OutputPathFor(romPath);
  AnnounceRun(romPath, outputPath);

  std::unique_ptr<platform::ReplacementFile> workCopy = CopyForTheRun(romPath, outputPath);
  if (!workCopy) {
    LogError("Failed creating copy of ROM!");
    platform::WaitForKeyPress();
    return 0;
  }

  auto rom = std::make_unique<ROM>(outputPath, configPath, random,
                                   RunOrigin{romPath, seed, releaseNumber}, std::move(workCopy));
  const bool succeeded = rom->LoadInROM();
  ReportOutcome(*rom, succeeded);
  if (report != nullptr) *report = MakeReport(*rom, succeeded);
  platform::WaitForKeyPress();
  rom.reset();
  return 0;
}

}  // namespace velmo
