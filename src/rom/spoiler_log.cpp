#include "rom/spoiler_log.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/logger.h"

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

// Text mode: line feeds become CR LF on Windows, as the player's editor wants.
bool WriteWholeTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  if (!out) return false;
  out << text;
  out.flush();
  const bool written = static_cast<bool>(out);
  out.close();
  return written && !out.fail();
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
  const std::string temporaryPath = path + ".tmp";
  std::error_code renameError;
  if (WriteWholeTextFile(temporaryPath, text)) {
    std::filesystem::rename(temporaryPath, path, renameError);
    if (!renameError) {
      LogSuccess("ROM::WriteSpoilerLog(): Wrote spoiler log [" + path + "]");
      return true;
    }
  }
  std::remove(temporaryPath.c_str());
  LogError("ROM::WriteSpoilerLog(): Unable to write spoiler log [" + path + "]!");
  return false;
}

}  // namespace velmo
