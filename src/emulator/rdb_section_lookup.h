#pragma once

#include <string>
#include <string_view>

namespace velmo {

enum class RdbSectionLookup { kAbsent, kPresent, kUnreadable };

// Whether the database file holds a section of that name, found as Project64
// finds one: a line that is, once trimmed, the name in brackets, the name
// itself trimmed and compared without regard to case. A missing file holds no
// section; one that exists but cannot be read to its end is unreadable. The
// file is read in pieces of a fixed size and every line is kept only as far
// as it can still match, so any file takes the same little memory.
RdbSectionLookup FindRdbSection(const std::string& path, std::string_view name);

}  // namespace velmo
