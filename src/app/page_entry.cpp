// The entry points the page's worker calls. Each run is the console tool's
// own run, started as if from a command line in the current folder of the
// in-memory file system, where the worker has put the player's image (and,
// to make a game from a patch, the patch), named as the player chose them,
// and the Velmo.ini made from the page's settings.
#include <emscripten.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/driver.h"
#include "emulator/rdb_update.h"
#include "platform/clock.h"
#include "platform/file_length.h"
#include "platform/release_number.h"
#include "randomise/randomiser_switches.h"
#include "rom/run_paths.h"
#include "rom/share_code.h"

namespace {

// The report of the latest run; the texts handed out stay valid until the
// next run starts.
velmo::RunReport& LatestRun() {
  static velmo::RunReport report;
  return report;
}

std::string& LatestSpoilerLogPath() {
  static std::string path;
  return path;
}

std::string& LatestPatchPath() {
  static std::string path;
  return path;
}

// The race patch a successful run wrote beside its image. The worker empties
// its folder before every run, so a patch there is this run's.
std::string WrittenPatchPath(const velmo::RunReport& report) {
  if (!report.succeeded || report.outputPath.empty()) return {};
  std::string path = velmo::PatchPathFor(report.outputPath);
  return velmo::platform::FileLength(path) ? path : std::string();
}

// Memory the browser will not give is the page's fault, not the image's: the
// page hears so before the run stops.
[[noreturn]] void StopForWantOfMemory() {
  EM_ASM({
    if (Module["onOutOfMemory"]) Module["onOutOfMemory"](0);
  });
  std::abort();
}

// "Velmo" as the program's path makes Velmo.ini its configuration.
constexpr const char* kProgramPath = "Velmo";

// One run of the console tool for these words after the program's path. Only
// a randomising run writes a spoiler log or a race patch: a run that makes
// the game from a patch may well have been handed one of the same name.
int RunWith(std::vector<std::string> arguments, bool randomises) {
  velmo::RunReport& report = LatestRun();
  report = {};
  std::set_new_handler(StopForWantOfMemory);
  arguments.insert(arguments.begin(), kProgramPath);
  velmo::RunVelmo(arguments, velmo::platform::CurrentTimeSeconds32, &report);
  LatestSpoilerLogPath() = !randomises || report.outputPath.empty()
                               ? std::string()
                               : velmo::SpoilerLogPathFor(report.outputPath);
  LatestPatchPath() = randomises ? WrittenPatchPath(report) : std::string();
  return report.succeeded ? 1 : 0;
}

// A share code as the page reads it: "ok <seed>" and each switch as
// " <key>=<0 or 1>", or the text that refuses it.
std::string ShareCodeAnswer(const velmo::ShareCodeReading& reading) {
  if (!reading.code) return reading.refusal;
  std::string answer = "ok " + std::to_string(reading.code->seed);
  for (const velmo::RandomiserSwitchKey& entry : velmo::kRandomiserSwitchKeys) {
    answer += " " + std::string(entry.key) + (reading.code->switches.*entry.isOn ? "=1" : "=0");
  }
  return answer;
}

}  // namespace

extern "C" {

// Runs Velmo on the image file of that name. Returns 1 when the run made a
// randomised image, 0 otherwise; the log says why.
EMSCRIPTEN_KEEPALIVE int VelmoRun(const char* imageName) {
  return RunWith({imageName}, true);
}

// Runs Velmo on an image and a BPS patch, in either order: the patch applied
// to the image makes the game, and no spoiler log. Returns 1 when the run
// wrote the game, 0 otherwise; the log says why.
EMSCRIPTEN_KEEPALIVE int VelmoApplyPatch(const char* imageName, const char* patchName) {
  return RunWith({imageName, patchName}, false);
}

// A share code pasted into the page, read as the configuration's ShareCode
// is: "ok <seed> RandomiseStartingWeapons=1 ..." for a code this release
// makes, otherwise the refusal. Valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* VelmoReadShareCode(const char* text) {
  static std::string answer;
  answer =
      ShareCodeAnswer(velmo::ReadShareCode(text, velmo::platform::GetReleaseNumber(kProgramPath)));
  return answer.c_str();
}

// The seed of the latest run.
EMSCRIPTEN_KEEPALIVE unsigned VelmoSeed() {
  return LatestRun().seed;
}

// The randomised image the latest run wrote, as that run named it.
EMSCRIPTEN_KEEPALIVE const char* VelmoOutputPath() {
  return LatestRun().outputPath.c_str();
}

// Where the latest run writes its spoiler log, when it writes one.
EMSCRIPTEN_KEEPALIVE const char* VelmoSpoilerLogPath() {
  return LatestSpoilerLogPath().c_str();
}

// The race patch the latest run wrote (WritePatch=1), or empty when it
// wrote none.
EMSCRIPTEN_KEEPALIVE const char* VelmoPatchPath() {
  return LatestPatchPath().c_str();
}

// The share code of the latest run, when it made a game from a seed.
EMSCRIPTEN_KEEPALIVE const char* VelmoShareCode() {
  return LatestRun().shareCode.c_str();
}

// The four words of the game hash of the image the latest run wrote.
EMSCRIPTEN_KEEPALIVE const char* VelmoGameHashWords() {
  return LatestRun().gameHashWords.c_str();
}

// The CRC-32 of that image, as eight hexadecimal digits.
EMSCRIPTEN_KEEPALIVE const char* VelmoGameHashCrc() {
  return LatestRun().gameHashCrc.c_str();
}

// The entry for every randomised GoldenEye of the latest run's region that
// Project64 3.0 and later need once, exactly as the console tool appends it.
EMSCRIPTEN_KEEPALIVE const char* VelmoGameEntry() {
  static std::string entry;
  entry = velmo::BuildGameEntry(*LatestRun().region);
  return entry.c_str();
}

// The top of the WebAssembly heap, which never comes down: when a run leaves
// memory behind or scatters what it frees, the next run raises it.
EMSCRIPTEN_KEEPALIVE unsigned VelmoHeapTop() {
  return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(sbrk(0)));
}

}  // extern "C"
