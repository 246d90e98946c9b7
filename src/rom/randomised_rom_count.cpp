#include "rom/randomised_rom_count.h"

#include <cstdint>
#include <limits>

#include "support/config_file.h"
#include "support/logger.h"

namespace velmo {

void IncrementRandomisedROMCount(ConfigFile& config) {
  std::int32_t count = 0;
  if (!config.GetInt(kRandomisedROMsKey, count)) {
    LogWarn("ROM::UpdateRDB(): Missing entry 'RandomisedROMs' in config file, will recreate");
    count = 0;
  }
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
  config.SetInt(kRandomisedROMsKey, count);
}

}  // namespace velmo
