#include "app/driver.h"

#include <memory>

#include "app/banner.h"
#include "app/logger.h"
#include "app/run_paths.h"
#include "platform/file_copy.h"
#include "platform/pause.h"
#include "platform/release_number.h"
#include "randomise/random_source.h"
#include "rom/rom.h"

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

void ReportOutcome(bool succeeded, std::uint32_t seed) {
  if (succeeded) {
    LogInfo("Randomised with seed [" + std::to_string(seed) + "]");
    LogSuccess("ROM has been successfully randomised :)");
    return;
  }
  LogError("Something went wrong during randomising and the ROM may not work as expected :(");
  LogError("Error provoking seed was " + std::to_string(seed));
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

  const std::uint32_t seed = clock();
  ClassicRandom random(seed);
  const std::string configPath = ConfigPathFor(executablePath);
  const std::string& romPath = arguments[1];
  const std::string outputPath = OutputPathFor(romPath);
  AnnounceRun(romPath, outputPath);

  if (!platform::CopyFileReplacing(romPath, outputPath)) {
    LogError("Failed creating copy of ROM!");
    platform::WaitForKeyPress();
    return 0;
  }

  auto rom = std::make_unique<ROM>(outputPath, configPath, random,
                                   RunOrigin{romPath, seed, releaseNumber});
  const bool succeeded = rom->LoadInROM();
  ReportOutcome(succeeded, rom->SeedInUse());
  if (report != nullptr) *report = RunReport{succeeded, rom->SeedInUse(), outputPath};
  platform::WaitForKeyPress();
  rom.reset();
  return 0;
}

}  // namespace velmo
