#include "rom/rom_header.h"

#include <string>
#include <string_view>

#include "app/logger.h"
#include "app/number_text.h"
#include "rom/checksum.h"
#include "rom/mapped_rom_file.h"

namespace velmo {
namespace {

// Standard cartridge header fields.
constexpr std::uint64_t kByteOrderOffset = 0x00;
constexpr std::uint64_t kInternalNameOffset = 0x20;
// Media type, two-letter cartridge ID and region letter; the version byte at
// 0x3F follows, so the text read here ends there only when the version is 0.
constexpr std::uint64_t kGameCodeOffset = 0x3B;

// A big-endian image begins with 0x80; a byte-swapped one with 0x37.
constexpr std::uint8_t kByteOrderMask = 0xF0;
constexpr std::uint8_t kBigEndianMarker = 0x80;

constexpr std::string_view kGameName = "GOLDENEYE";
constexpr std::string_view kRequiredNamePrefix = "GOL";
constexpr std::string_view kNtscGameCode = "NGEE";

struct CartridgeHeader {
  std::uint64_t fileSize;
  std::uint8_t firstByte;
  std::uint32_t crc1;
  std::uint32_t crc2;
  std::string internalName;
  std::string gameCode;

  bool IsBigEndian() const { return (firstByte & kByteOrderMask) == kBigEndianMarker; }
  bool NameContainsGameName() const { return internalName.find(kGameName) != std::string::npos; }
  bool IsNtscGameCode() const { return gameCode == kNtscGameCode; }
  bool NameStartsLikeTheGame() const { return internalName.starts_with(kRequiredNamePrefix); }
};

CartridgeHeader ReadHeader(MappedRomFile& romFile) {
  CartridgeHeader header;
  header.fileSize = romFile.FileSize();
  header.firstByte = romFile.ReadByteAt(kByteOrderOffset);
  header.crc1 = romFile.ReadDWORDAt(kCrc1Offset);
  header.crc2 = romFile.ReadDWORDAt(kCrc2Offset);
  header.internalName = romFile.ReadStringAt(kInternalNameOffset);
  header.gameCode = romFile.ReadStringAt(kGameCodeOffset);
  return header;
}

void PrintReport(const CartridgeHeader& header) {
  const ConsoleColour nameColour = header.NameContainsGameName() ? kColourGreen : kColourRed;
  const ConsoleColour codeColour = header.IsNtscGameCode() ? nameColour : kColourRed;

  WritePlain("INFO Size of file [");
  WriteColoured(std::to_string(header.fileSize), kColourWhite);
  WritePlain("] bytes CRC [");
  WriteColoured(ToHexText(header.crc1), kColourWhite);
  WritePlain("] [");
  WriteColoured(ToHexText(header.crc2), kColourWhite);
  WritePlain("]\nINFO Byteswapped [");
  if (header.IsBigEndian()) {
    WriteColoured("No", kColourGreen);
  } else {
    WriteColoured("YES!", kColourRed);
  }
  WritePlain("] ROM Identifier [");
  WriteColoured(header.internalName, nameColour);
  WritePlain("] Game code [");
  WriteColoured(header.gameCode, codeColour);
  WritePlain("]\n");
  FlushConsole();
}

}  // namespace

bool ProcessROMHeader(MappedRomFile& romFile) {
  const CartridgeHeader header = ReadHeader(romFile);
  PrintReport(header);
  if (!header.IsBigEndian()) {
    LogError("Unable to use byteswapped ROM!");
    return false;
  }
  if (!header.IsNtscGameCode()) {
    LogError("This doesn't appear to be the NTSC Goldeneye ROM!");
    return false;
  }
  if (header.NameStartsLikeTheGame()) return true;
  LogError("This doesn't appear to be the Goldeneye ROM!");
  return false;
}

}  // namespace velmo
