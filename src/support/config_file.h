#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

// The option names, written once for every part that looks them up.
inline constexpr std::string_view kConfigSeparator = "=";
inline constexpr std::string_view kTraceLoggingKey = "TraceLogging";
inline constexpr std::string_view kUpdatePJ64Key = "UpdatePJ64";
inline constexpr std::string_view kPJ64RDBFileKey = "PJ64RDBFile";
inline constexpr std::string_view kPJ64GameEntryKey = "PJ64GameEntry";
inline constexpr std::string_view kRandomisedROMsKey = "RandomisedROMs";
// Options that shape the game a run makes; Velmo only reads them.
inline constexpr std::string_view kSeedKey = "Seed";
// Sets the seed and every randomiser switch at once; see rom/share_code.h.
inline constexpr std::string_view kShareCodeKey = "ShareCode";
inline constexpr std::string_view kSpoilerLogKey = "SpoilerLog";
inline constexpr std::string_view kConvertByteOrderKey = "ConvertByteOrder";
inline constexpr std::string_view kWritePatchKey = "WritePatch";
inline constexpr std::string_view kRandomiseStartingWeaponsKey = "RandomiseStartingWeapons";
inline constexpr std::string_view kRandomiseGuardTypesKey = "RandomiseGuardTypes";
inline constexpr std::string_view kRandomiseGuardWeaponsKey = "RandomiseGuardWeapons";
inline constexpr std::string_view kAddNemesisKey = "AddNemesis";
inline constexpr std::string_view kRandomiseKeysKey = "RandomiseKeys";
inline constexpr std::string_view kRandomiseCubaBodyKey = "RandomiseCubaBody";

// The key=value options file beside the executable. Reads the whole file on
// construction and writes it back, normalised, on destruction. Lines are split
// at their first "=" with nothing trimmed; "#" lines are comments.
class ConfigFile {
 public:
  explicit ConfigFile(std::string path);
  ~ConfigFile();
  ConfigFile(const ConfigFile&) = delete;
  ConfigFile& operator=(const ConfigFile&) = delete;

  bool GetString(std::string_view key, std::string& value) const;
  // Converts as atoi does: 0 when no digits lead the value.
  bool GetInt(std::string_view key, std::int32_t& value) const;
  void SetString(std::string_view key, std::string_view value);
  void SetInt(std::string_view key, std::int32_t value);

  // Writes every key of keyOrder with its current value. The new file
  // replaces the old one only once it is complete, so a full disk or an
  // interrupted save leaves the old file as it was.
  void Save() const;

 private:
  void Load();

  std::vector<std::string> keyOrder;
  std::map<std::string, std::string, std::less<>> values;
  std::string configPath;
};

// atoi without its undefined behaviour on overflow: saturates at the limits.
std::int32_t ParseLeadingInt(std::string_view text);

// Whether an optional TRACE line is wanted: TraceLogging present and exactly 1.
bool TraceLoggingEnabled(const ConfigFile& config);

}  // namespace velmo
