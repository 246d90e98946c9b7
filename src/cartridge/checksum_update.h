#pragma once

#include <string>

#include "cartridge/checksum.h"

namespace velmo {

class MappedRomFile;

// Recomputes the two header checksum words over the mapped image and stores
// them big-endian at 0x10 and 0x14, so that the console's boot check accepts
// the changed image. Sets checksum to the words, and crc1Text and crc2Text to
// them as 8 upper-case hexadecimal digits. An image too short to hold the
// checksummed mebibyte is refused with an ERROR line and left untouched,
// checksum and texts unchanged.
bool RecalculateAndUpdateCRC(MappedRomFile& romFile, HeaderChecksum& checksum,
                             std::string& crc1Text, std::string& crc2Text);

}  // namespace velmo
