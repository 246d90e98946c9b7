#include "cartridge/rom_header.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cartridge/byte_order.h"
#include "cartridge/checksum.h"
#include "cartridge/mapped_rom_file.h"
#include "cartridge/region_layout.h"
#include "support/logger.h"
#include "support/number_text.h"

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

struct CartridgeHeader {
  std::uint64_t fileSize;
  std::uint8_t firstByte;
  std::uint32_t crc1;
  std::uint32_t crc2;
  std::string internalName;
  std::string gameCode;

  bool IsBigEndian() const { return (firstByte & kByteOrderMask) == kBigEndianMarker; }
  bool NameContainsGameName() const { return internalName.find(kGameName) != std::string::npos; }
  // The game's own code in one of its regions; the version byte must be 0.
  const RegionLayout* Region() const { return RegionForGameCode(gameCode); }
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
  const ConsoleColour codeColour = header.Region() != nullptr ? nameColour : kColourRed;

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

// The whole file through one view; empty when it cannot be mapped. Valid
// until the next access to romFile.
std::span<std::uint8_t> WholeFile(MappedRomFile& romFile) {
  std::uint8_t* file = romFile.MapAt(0);
  if (file == nullptr) return {};
  return {file, static_cast<std::size_t>(romFile.FileSize())};
}

// The report is printed before every refusal, also before these.
void ReportAndRefuse(MappedRomFile& romFile, const std::string& message) {
  PrintReport(ReadHeader(romFile));
  LogError(message);
}

// True, after the report and an ERROR line, for an archive: it would
// otherwise be refused as byte-swapped, which does not tell the player what
// to do.
bool RefusedAsArchive(MappedRomFile& romFile, const std::string& inputPath) {
  const std::optional<std::string_view> archive = ArchiveKindOf(WholeFile(romFile));
  if (!archive) return false;
  ReportAndRefuse(romFile, "ROM::ProcessROMHeader(): [" + inputPath + "] is a [" +
                               std::string(*archive) +
                               "] archive, not a cartridge image: unpack it and give Velmo the "
                               ".z64 file inside");
  return true;
}

// Puts a byte-swapped or little-endian image into the cartridge's own order,
// so that the rest of the run is exactly a run on the big-endian image.
bool ConvertByteOrder(MappedRomFile& romFile, const HeaderStepInput& input, bool& converted) {
  if (romFile.FileSize() % 4 != 0) {
    ReportAndRefuse(romFile, "ROM::ProcessROMHeader(): Image length [" +
                                 std::to_string(romFile.FileSize()) +
                                 "] is not a whole number of 32-bit words");
    return false;
  }
  const std::span<std::uint8_t> image = WholeFile(romFile);
  const std::optional<ByteOrder> order = ByteOrderOf(image);
  if (!order || *order == ByteOrder::kBigEndian) return true;
  ConvertToBigEndian(image, *order);
  converted = true;
  LogInfo("ROM::ProcessROMHeader(): Converted the [" + std::string(ByteOrderName(*order)) +
          "] image to big-endian order, to be saved as [" + input.convertedPath + "]");
  return true;
}

}  // namespace

bool ProcessROMHeader(MappedRomFile& romFile) {
  bool converted = false;
  const RegionLayout* region = nullptr;
  return ProcessROMHeader(romFile, HeaderStepInput{}, converted, region);
}

bool ProcessROMHeader(MappedRomFile& romFile, const HeaderStepInput& input, bool& converted,
                      const RegionLayout*& region) {
  converted = false;
  region = nullptr;
  // An image that cannot be mapped (no memory left for the view, say) would
  // read as zeros and be refused for a byte order it does not have.
  if (WholeFile(romFile).empty()) {
    LogError("ROM: Unable to map ROM");
    return false;
  }
  if (RefusedAsArchive(romFile, input.inputPath)) return false;
  if (input.convertByteOrder && !ConvertByteOrder(romFile, input, converted)) return false;
  const CartridgeHeader header = ReadHeader(romFile);
  PrintReport(header);
  if (!header.IsBigEndian()) {
    LogError("Unable to use byteswapped ROM!");
    return false;
  }
  const RegionLayout* found = header.Region();
  if (found == nullptr) {
    LogError("This doesn't appear to be the NTSC Goldeneye ROM!");
    return false;
  }
  if (!found->headerNote.empty()) {
    LogInfo("ProcessROMHeader(): " + std::string(found->headerNote));
  }
  if (header.NameStartsLikeTheGame()) {
    region = found;
    return true;
  }
  LogError("This doesn't appear to be the Goldeneye ROM!");
  return false;
}

}  // namespace velmo
