#include "rom/game_patch.h"

#include <optional>
#include <string_view>

#include "cartridge/byte_order.h"
#include "patch/bps_patch_reader.h"
#include "patch/bps_patch_writer.h"
#include "platform/replacement_file.h"
#include "support/file_bytes.h"
#include "support/logger.h"

namespace velmo {
namespace {

std::optional<ByteBuffer> ReadImageInBigEndianOrder(const std::string& path) {
  std::optional<ByteBuffer> image = ReadFileBytes(path, kMostBpsTargetSize);
  if (!image) {
    LogError("ROM::WritePatch(): Unable to read the image [" + path + "]!");
    return std::nullopt;
  }
  const std::optional<ByteOrder> order = ByteOrderOf(*image);
  if (order && *order != ByteOrder::kBigEndian && image->size() % 4 == 0) {
    ConvertToBigEndian(*image, *order);
  }
  return image;
}

}  // namespace

std::string GamePatchMetadata(std::uint16_t releaseNumber, const GameHash& hash) {
  return "Velmo release " + std::to_string(releaseNumber) + "\nGame hash: " + hash.words +
         " (CRC-32 " + hash.crcText + ")\n";
}

bool WriteGamePatch(const std::string& inputPath, std::span<const std::uint8_t> finishedImage,
                    const std::string& metadata, const std::string& patchPath) {
  const std::optional<ByteBuffer> source = ReadImageInBigEndianOrder(inputPath);
  const ByteBuffer patch = source ? CreateBpsPatch(*source, finishedImage, metadata) : ByteBuffer{};
  const std::string_view bytes(reinterpret_cast<const char*>(patch.data()), patch.size());
  if (!source || !platform::WriteFileReplacing(patchPath, bytes, platform::FileMode::kBinary)) {
    LogError("ROM::WritePatch(): Unable to write patch [" + patchPath + "]!");
    return false;
  }
  LogSuccess("ROM::WritePatch(): Wrote patch [" + patchPath + "]");
  return true;
}

}  // namespace velmo
