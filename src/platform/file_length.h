#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmo::platform {

// The length in bytes of the file at path; nothing when there is no such
// file. The path is taken as the C runtime's file streams take it.
std::optional<std::uint64_t> FileLength(const std::string& path);

// Cuts the file at path to length bytes, sharing it with other openers as a
// file stream does; false when that fails.
bool TruncateFile(const std::string& path, std::uint64_t length);

}  // namespace velmo::platform
