#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "level/level_report.h"
#include "randomise/randomiser_switches.h"
#include "rom/game_hash.h"

namespace velmo {

// What the spoiler log's header says about the run: enough to tell which game
// it describes and to make that game again.
struct SpoilerHeader {
  std::uint16_t releaseNumber = 0;
  std::uint32_t seed = 0;
  std::string inputPath;
  std::string regionName;  // empty for the North American image, which names none
  std::string outputPath;
  std::string crc1Text;
  std::string crc2Text;
  RandomiserSwitches switches;
  std::string shareCode{};
  GameHash gameHash{};
};

// The whole spoiler log: the header, then one block per level in the order
// the reports are given (the file table's), each after an empty line.
std::string BuildSpoilerLog(const SpoilerHeader& header, const std::vector<LevelReport>& levels);

// Writes the text to a temporary file beside path and renames it over any
// older log, so nobody ever reads half of one. Logs the outcome; on failure
// no temporary file is left. The result is only for the caller's curiosity:
// a missing spoiler log never spoils a good image.
bool WriteSpoilerLog(const std::string& path, const std::string& text);

}  // namespace velmo
