#pragma once

#include <string>

namespace velmo::platform {

// Copies the file at source to destination, replacing an existing destination.
// Refuses (false) when both paths name the same file, so the source is never
// opened for writing.
bool CopyFileReplacing(const std::string& source, const std::string& destination);

}  // namespace velmo::platform
