#pragma once

#include <string>

namespace velmo::platform {

// Copies the file at source to destination, replacing an existing destination
// only once the copy is complete: on any failure the destination is left
// exactly as it was and no partial file remains. Refuses (false) when both
// paths name the same file, so the source is never opened for writing nor
// replaced, and when another run holds the destination open.
bool CopyFileReplacing(const std::string& source, const std::string& destination);

}  // namespace velmo::platform
