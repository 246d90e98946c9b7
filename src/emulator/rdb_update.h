#pragma once

#include <string>

#include "cartridge/region_layout.h"

namespace velmo {

class ConfigFile;

// What a run adds to Project64's ROM database.
enum class Pj64Entry {
  // A section for the new image, keyed by its checksum words: what Project64
  // 2.x needs, one per game.
  kImageSection,
  // Once, the one entry by which Project64 3.0 and later run every
  // randomised GoldenEye with the original's own settings.
  kGameEntry,
};

// The section appended to Project64's ROM database for a randomised image,
// keyed by its two checksum words (8 upper-case hex digits each) and its
// region's country code.
std::string BuildRdbSection(const std::string& crc1Text, const std::string& crc2Text,
                            const RegionLayout& region = region::kNorthAmerica);

// The entry for every randomised GoldenEye of a region, as it is appended:
// on a line of its own after whatever the file ends with.
std::string BuildGameEntry(const RegionLayout& region = region::kNorthAmerica);

// Appends that section, or the game entry when the database has none yet, to
// the database file named by PJ64RDBFile when UpdatePJ64 is non-zero. All or
// nothing: when a write, the flush or the close fails, the file is cut back
// to the length it had (or removed, when the append created it). Every
// problem is logged and the result is always true: the database is a
// convenience, not the product.
bool UpdateRDB(const ConfigFile& config, const std::string& crc1Text, const std::string& crc2Text,
               Pj64Entry entry, const RegionLayout& region = region::kNorthAmerica);

}  // namespace velmo
