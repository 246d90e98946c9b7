// The entry points the page's worker calls. Each run is the console tool's
// own run, started as if from a command line in the current folder of the
// in-memory file system, where the worker has put the player's image, named
// as the player chose it, and the Velmo.ini made from the page's settings.
#include <emscripten.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "app/driver.h"
#include "emulator/rdb_update.h"
#include "platform/clock.h"
#include "rom/run_paths.h"

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

// Memory the browser will not give is the page's fault, not the image's: the
// page hears so before the run stops.
[[noreturn]] void StopForWantOfMemory() {
  EM_ASM({
    if (Module["onOutOfMemory"]) Module["onOutOfMemory"](0);
  });
  std::abort();
}

}  // namespace

extern "C" {

// Runs Velmo on the image file of that name. Returns 1 when the run made a
// randomised image, 0 otherwise; the log says why.
EMSCRIPTEN_KEEPALIVE int VelmoRun(const char* imageName) {
  velmo::RunReport& report = LatestRun();
  report = {};
  std::set_new_handler(StopForWantOfMemory);
  // "Velmo" as the program's path makes Velmo.ini its configuration.
  velmo::RunVelmo({"Velmo", imageName}, velmo::platform::CurrentTimeSeconds32, &report);
  LatestSpoilerLogPath() =
      report.outputPath.empty() ? std::string() : velmo::SpoilerLogPathFor(report.outputPath);
  return report.succeeded ? 1 : 0;
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
