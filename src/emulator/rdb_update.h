#pragma once

#include <string>

namespace velmo {

class ConfigFile;

// The section appended to Project64's ROM database for a randomised image,
// keyed by its two checksum words (8 upper-case hex digits each).
std::string BuildRdbSection(const std::string& crc1Text, const std::string& crc2Text);

// Appends that section to the database file named by PJ64RDBFile when
// UpdatePJ64 is non-zero. Never reads the file. All or nothing: when a write,
// the flush or the close fails, the file is cut back to the length it had
// (or removed, when the append created it). Every problem is logged and the
// result is always true: the database is a convenience, not the product.
bool UpdateRDB(const ConfigFile& config, const std::string& crc1Text, const std::string& crc2Text);

}  // namespace velmo
