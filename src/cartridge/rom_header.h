#pragma once

#include <string>

namespace velmo {

class MappedRomFile;
struct RegionLayout;

// What the header step knows beyond the image itself.
struct HeaderStepInput {
  std::string inputPath;          // the file the player gave, named when it is an archive
  bool convertByteOrder = false;  // put other byte orders into big-endian order
  std::string convertedPath;      // where a converted image is to be saved, for the log
};

// Prints the two-line report of the cartridge header (size, checksum words,
// byte order, internal name, game code) and accepts only a big-endian
// GoldenEye image of one of the game's three regions: false, with an ERROR
// line, for a byte-swapped image, a game code other than NGEE, NGEP or NGEJ,
// or a name not beginning with GOL. A European or Japanese image gets one
// INFO line naming its region. Reads the header only.
bool ProcessROMHeader(MappedRomFile& romFile);

// The same step for a whole run. Before the report it refuses an archive
// (zip, 7z, gzip, rar) and, when asked to convert, an image whose length is
// not a whole number of 32-bit words; it then puts a byte-swapped or
// little-endian image into big-endian order in place and sets converted.
// region receives the image's region once it is accepted.
bool ProcessROMHeader(MappedRomFile& romFile, const HeaderStepInput& input, bool& converted,
                      const RegionLayout*& region);

}  // namespace velmo
