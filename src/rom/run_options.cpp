#include "rom/run_options.h"

#include <string>
#include <string_view>

#include "support/config_file.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// An empty value counts as a missing key.
std::optional<std::string> PresentValue(const ConfigFile& config, std::string_view key) {
  std::string value;
  if (!config.GetString(key, value) || value.empty()) return std::nullopt;
  return value;
}

bool ReadSeed(const ConfigFile& config, std::optional<std::uint32_t>& seed) {
  const std::optional<std::string> text = PresentValue(config, kSeedKey);
  if (!text) return true;
  seed = ParseDecimal(*text, UINT32_MAX);
  if (seed) return true;
  LogError("LoadInROM(): Seed [" + *text + "] in config file is not a number from 0 to 4294967295");
  return false;
}

// Exactly "0" switches off, "1" or an empty value on; a missing key leaves
// the switch as it was.
bool ReadSwitch(const ConfigFile& config, std::string_view key, bool& isOn) {
  std::string text;
  if (!config.GetString(key, text)) return true;
  if (text.empty() || text == "1" || text == "0") {
    isOn = text != "0";
    return true;
  }
  LogError("LoadInROM(): Option [" + std::string(key) + "] has value [" + text +
           "] in config file, expected 0 or 1");
  return false;
}

// A share code sets the seed and every randomiser switch.
bool ApplyShareCode(std::string_view text, std::uint16_t releaseNumber, RunOptions& options) {
  const ShareCodeReading reading = ReadShareCode(text, releaseNumber);
  if (!reading.code) {
    LogError(reading.refusal);
    return false;
  }
  options.shareCode = reading.code;
  options.seed = reading.code->seed;
  options.randomisers = reading.code->switches;
  return true;
}

bool ReadRandomiserSwitches(const ConfigFile& config, RandomiserSwitches& switches) {
  bool valid = true;
  for (const RandomiserSwitchKey& entry : kRandomiserSwitchKeys) {
    valid = ReadSwitch(config, entry.key, switches.*entry.isOn) && valid;
  }
  return valid;
}

void ReportOptions(const RunOptions& options) {
  if (options.shareCode) {
    LogInfo("LoadInROM(): Using share code [" + FormatShareCode(*options.shareCode) +
            "] from config file");
  } else if (options.seed) {
    LogInfo("LoadInROM(): Using seed [" + DecimalText(*options.seed) + "] from config file");
  }
  for (const RandomiserSwitchKey& entry : kRandomiserSwitchKeys) {
    if (options.randomisers.*entry.isOn) continue;
    LogInfo("LoadInROM(): Option [" + std::string(entry.key) + "] is off, not randomising it");
  }
}

}  // namespace

bool ReadRunOptions(const ConfigFile& config, std::uint16_t releaseNumber, RunOptions& options) {
  // With a share code, Seed and the randomiser switches are not even looked at.
  const std::optional<std::string> shareCode = PresentValue(config, kShareCodeKey);
  bool valid = shareCode ? ApplyShareCode(*shareCode, releaseNumber, options)
                         : ReadSeed(config, options.seed);
  valid = ReadSwitch(config, kSpoilerLogKey, options.spoilerLog) && valid;
  if (!shareCode) valid = ReadRandomiserSwitches(config, options.randomisers) && valid;
  valid = ReadSwitch(config, kConvertByteOrderKey, options.convertByteOrder) && valid;
  valid = ReadSwitch(config, kPJ64GameEntryKey, options.pj64GameEntry) && valid;
  valid = ReadSwitch(config, kWritePatchKey, options.writePatch) && valid;
  if (valid) ReportOptions(options);
  return valid;
}

bool ReadPatchRunOptions(const ConfigFile& config, bool& pj64GameEntry) {
  return ReadSwitch(config, kPJ64GameEntryKey, pj64GameEntry);
}

}  // namespace velmo
