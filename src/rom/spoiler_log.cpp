#include "rom/spoiler_log.h"

#include "platform/replacement_file.h"
#include "rom/level_description.h"
#include "support/logger.h"

namespace velmo {
namespace {

std::string DescribeSettings(const RandomiserSwitches& switches) {
  std::string off;
  for (const RandomiserSwitchKey& entry : kRandomiserSwitchKeys) {
    if (switches.*entry.isOn) continue;
    off += (off.empty() ? "" : ", ") + std::string(entry.key) + "=0";
  }
  return off.empty() ? "everything randomised" : off;
}

// The moved keys are always placed where the player can reach them before
// the doors they open.
std::string DescribeKeys(const RandomiserSwitches& switches) {
  return switches.keys ? "every key can be reached before the door it opens"
                       : "where the original game has them";
}

}  // namespace

std::string BuildSpoilerLog(const SpoilerHeader& header, const std::vector<LevelReport>& levels) {
  std::string text = "Velmo spoiler log, release " + std::to_string(header.releaseNumber) + "\n";
  text += "Seed: " + std::to_string(header.seed) + "\n";
  text += "Share code: " + header.shareCode + "\n";
  text += "Game hash: " + header.gameHash.words + " (CRC-32 " + header.gameHash.crcText + ")\n";
  text += "Input image: " + header.inputPath + "\n";
  if (!header.regionName.empty()) text += "Region: " + header.regionName + "\n";
  text += "Output image: " + header.outputPath + "\n";
  text += "Checksum: " + header.crc1Text + "-" + header.crc2Text + "\n";
  text += "Settings: " + DescribeSettings(header.switches) + "\n";
  text += "Keys: " + DescribeKeys(header.switches) + "\n";
  for (const LevelReport& level : levels) text += "\n" + DescribeLevel(level);
  return text;
}

bool WriteSpoilerLog(const std::string& path, const std::string& text) {
  // Text mode: CR LF line ends on Windows, as the player's editor wants.
  if (!platform::WriteFileReplacing(path, text, platform::FileMode::kText)) {
    LogError("ROM::WriteSpoilerLog(): Unable to write spoiler log [" + path + "]!");
    return false;
  }
  LogSuccess("ROM::WriteSpoilerLog(): Wrote spoiler log [" + path + "]");
  return true;
}

}  // namespace velmo
