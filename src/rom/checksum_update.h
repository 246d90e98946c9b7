#pragma once

#include <string>

namespace velmo {

class MappedRomFile;

// Recomputes the two header checksum words over the mapped image and stores
// them big-endian at 0x10 and 0x14, so that the console's boot check accepts
// the changed image. Sets crc1Text and crc2Text to the words as 8 upper-case
// hexadecimal digits. An image too short to hold the checksummed mebibyte is
// refused with an ERROR line and left untouched, the texts unchanged.
bool RecalculateAndUpdateCRC(MappedRomFile& romFile, std::string& crc1Text, std::string& crc2Text);

}  // namespace velmo
