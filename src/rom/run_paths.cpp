#include "rom/run_paths.h"

namespace velmo {

std::string ConfigPathFor(const std::string& executablePath) {
  const size_t dot = executablePath.rfind('.');
  const size_t separator = executablePath.find_last_of("/\\");
  const bool dotInFileName =
      dot != std::string::npos && (separator == std::string::npos || dot > separator);
  return executablePath.substr(0, dotInFileName ? dot : std::string::npos) + ".ini";
}

std::string OutputPathFor(const std::string& romPath) {
  const size_t dot = romPath.rfind('.');
  if (dot == std::string::npos) return romPath + "_rand";
  return romPath.substr(0, dot) + "_rand" + romPath.substr(dot);
}

std::string BigEndianOutputPathFor(const std::string& outputPath) {
  return outputPath.substr(0, outputPath.rfind('.')) + ".z64";
}

std::string PatchPathFor(const std::string& outputPath) {
  return outputPath.substr(0, outputPath.rfind('.')) + ".bps";
}

std::string SpoilerLogPathFor(const std::string& outputPath) {
  return outputPath.substr(0, outputPath.rfind('.')) + "_spoiler.txt";
}

}  // namespace velmo
