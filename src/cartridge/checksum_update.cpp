#include "cartridge/checksum_update.h"

#include <span>

#include "cartridge/mapped_rom_file.h"
#include "support/buffer_words.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {

bool RecalculateAndUpdateCRC(MappedRomFile& romFile, HeaderChecksum& checksum,
                             std::string& crc1Text, std::string& crc2Text) {
  const std::uint64_t size = romFile.FileSize();
  if (size < kChecksummedImageSize) {
    LogError("ROM::RecalculateAndUpdateCRC(): ROM of [" + std::to_string(size) +
             "] bytes is too small to checksum, it needs at least [" +
             std::to_string(kChecksummedImageSize) + "] bytes");
    return false;
  }
  std::uint8_t* image = romFile.MapAt(0);
  if (image == nullptr) {
    LogError("ROM::RecalculateAndUpdateCRC(): Unable to map ROM");
    return false;
  }

  checksum =
      ComputeHeaderChecksum(std::span<const std::uint8_t>(image, static_cast<std::size_t>(size)));
  StoreBigEndian32(image + kCrc1Offset, checksum.crc1);
  StoreBigEndian32(image + kCrc2Offset, checksum.crc2);
  crc1Text = ToUpperHexText(checksum.crc1);
  crc2Text = ToUpperHexText(checksum.crc2);
  LogInfo("ROM::RecalculateAndUpdateCRC(): Recalculated checksum [" + crc1Text + "-" + crc2Text +
          "] successfully");
  return true;
}

}  // namespace velmo
