#pragma once

namespace velmo {

class ConfigFile;

// Counts one more successfully randomised image in RandomisedROMs (created at
// 1 when missing). The count stops at the largest 32-bit value instead of
// wrapping to a negative number.
void IncrementRandomisedROMCount(ConfigFile& config);

}  // namespace velmo
