#pragma once

#include <memory>
#include <string>

#include "platform/replacement_file.h"

namespace velmo::platform {

// Whether the file at destination may be replaced by a copy of source: there
// is no such file, or it is neither source itself (under another name, or
// through a link) nor held by another run (opened without sharing).
bool MayReplaceFile(const std::string& destination, const std::string& source);

// Copies the file at source into a new temporary file beside destination,
// which takes destination's place only when committed; until then its user
// may change it through its temporary path. The file is closed on return.
// Null, and nothing left behind, when the copy fails or MayReplaceFile
// refuses. Destination itself is not touched.
std::unique_ptr<ReplacementFile> CopyFileBeside(const std::string& source,
                                                const std::string& destination);

// Copies the file at source to destination, replacing an existing destination
// only once the copy is complete: on any failure the destination is left
// exactly as it was and no partial file remains. Refuses (false) when both
// paths name the same file, so the source is never opened for writing nor
// replaced, and when another run holds the destination open.
bool CopyFileReplacing(const std::string& source, const std::string& destination);

}  // namespace velmo::platform
