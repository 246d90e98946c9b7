#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cartridge/region_layout.h"

namespace velmo {

// What a run that got as far as the pipeline tells a caller besides its log:
// a caller that is no console (the browser page) hands the player the image
// at outputPath, named exactly as this run named it.
struct RunReport {
  bool succeeded = false;
  std::uint32_t seed = 0;  // the seed the run used, the configured one or the clock's
  std::string outputPath;  // the randomised image; empty when no pipeline ran
  // The image's region, once its header was accepted; North America before.
  const RegionLayout* region = &region::kNorthAmerica;
  // Of a run that succeeded, for players racing the same game; empty otherwise.
  std::string shareCode{};      // e.g. R3-1765173600-111111
  std::string gameHashWords{};  // e.g. Klobb Jaws Dam Moonraker
  std::string gameHashCrc{};    // e.g. 1A2B3C4D
};

// One whole run of the tool for a command line (executable path first, then
// the image path; further words are ignored, unless exactly one of the first
// two files is a BPS patch: the run then makes the game from the patch and
// the other file, the player's image). The seed of the run comes from
// the clock given. Fills report, when given, once the pipeline has run.
// Returns the process exit status, which is always 0.
int RunVelmo(const std::vector<std::string>& arguments, const std::function<std::uint32_t()>& clock,
             RunReport* report = nullptr);

}  // namespace velmo
