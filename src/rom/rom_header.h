#pragma once

namespace velmo {

class MappedRomFile;

// Prints the two-line report of the cartridge header (size, checksum words,
// byte order, internal name, game code) and accepts only a big-endian NTSC
// GoldenEye image: false, with an ERROR line, for a byte-swapped image, a
// game code other than NGEE, or a name not beginning with GOL. Reads the
// header only.
bool ProcessROMHeader(MappedRomFile& romFile);

}  // namespace velmo
