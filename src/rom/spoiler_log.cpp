#include "rom/spoiler_log.h"

#include "app/logger.h"
#include "platform/replacement_file.h"

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

}  // namespace

std::string BuildSpoilerLog(const SpoilerHeader& header, const std::vector<LevelReport>& levels) {
  std::string text = "Velmo spoiler log, release " + std::to_string(header.releaseNumber) + "\n";
  text += "Seed: " + std::to_string(header.seed) + "\n";
  text += "Input image: " + header.inputPath + "\n";
  text += "Output image: " + header.outputPath + "\n";
  text += "Checksum: " + header.crc1Text + "-" + header.crc2Text + "\n";
  text += "Settings: " + DescribeSettings(header.switches) + "\n";
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
