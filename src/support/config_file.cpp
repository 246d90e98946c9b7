#include "support/config_file.h"

#include <algorithm>
#include <fstream>
#include <limits>

#include "platform/replacement_file.h"

namespace velmo {

ConfigFile::ConfigFile(std::string path) : configPath(std::move(path)) {
  Load();
}

ConfigFile::~ConfigFile() {
  Save();
}

void ConfigFile::Load() {
  std::ifstream in(configPath);
  if (!in) return;
  std::string line;
  while (std::getline(in, line)) {
    // Text mode: a line written on Windows ends in CR LF; both end the line.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    const size_t separator = line.find(kConfigSeparator);
    if (separator == std::string::npos) continue;
    std::string key = line.substr(0, separator);
    values[key] = line.substr(separator + kConfigSeparator.size());
    keyOrder.push_back(std::move(key));
  }
}

void ConfigFile::Save() const {
  std::string text;
  for (const std::string& key : keyOrder) {
    text += key;
    text += kConfigSeparator;
    text += values.find(key)->second;
    text += '\n';
  }
  // A failed save is not reported; the file is then left as it was.
  platform::WriteFileReplacing(configPath, text, platform::FileMode::kText);
}

bool ConfigFile::GetString(std::string_view key, std::string& value) const {
  const auto found = values.find(key);
  if (found == values.end()) return false;
  value = found->second;
  return true;
}

bool ConfigFile::GetInt(std::string_view key, std::int32_t& value) const {
  std::string text;
  if (!GetString(key, text)) return false;
  value = ParseLeadingInt(text);
  return true;
}

void ConfigFile::SetString(std::string_view key, std::string_view value) {
  auto found = values.find(key);
  if (found == values.end()) {
    keyOrder.emplace_back(key);
    values.emplace(std::string(key), std::string(value));
    return;
  }
  found->second = value;
}

void ConfigFile::SetInt(std::string_view key, std::int32_t value) {
  SetString(key, std::to_string(value));
}

std::int32_t ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t magnitude = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min(kLimit, magnitude * 10 + (text[i] - '0'));
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(signedValue);
}

bool TraceLoggingEnabled(const ConfigFile& config) {
  std::int32_t value = 0;
  return config.GetInt(kTraceLoggingKey, value) && value == 1;
}

}  // namespace velmo
