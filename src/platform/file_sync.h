#pragma once

#include <string>

namespace velmo::platform {

// Writes what the system still holds in memory of the file at path to the
// disk, so that what was written to it outlasts a power cut; false when the
// file cannot be opened or the disk does not take it.
bool FlushFileToDisk(const std::string& path);

}  // namespace velmo::platform
