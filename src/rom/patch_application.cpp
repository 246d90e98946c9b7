#include "rom/patch_application.h"

#include <optional>
#include <string_view>

#include "cartridge/byte_order.h"
#include "cartridge/checksum.h"
#include "emulator/rdb_update.h"
#include "patch/bps_patch_reader.h"
#include "platform/file_copy.h"
#include "platform/file_sync.h"
#include "platform/replacement_file.h"
#include "platform/unfinished_files.h"
#include "rom/randomised_rom_count.h"
#include "rom/run_options.h"
#include "support/buffer_words.h"
#include "support/config_file.h"
#include "support/file_bytes.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// A patch that makes the largest cartridge stores at most that many bytes,
// and its header and actions take a small share more.
constexpr std::uint64_t kMostPatchBytes = 2 * kMostBpsTargetSize;
constexpr std::uint64_t kGameCodeOffset = 0x3B;
constexpr std::size_t kGameCodeLength = 4;

bool Refuse(const std::string& message) {
  LogError(message);
  return false;
}

std::optional<ByteBuffer> ReadInput(const std::string& path, std::uint64_t mostBytes,
                                    const char* what) {
  std::optional<ByteBuffer> bytes = ReadFileBytes(path, mostBytes);
  if (!bytes) {
    Refuse("ROM::ApplyPatch(): Unable to read the " + std::string(what) + " [" + path +
           "], or it is larger than any cartridge's");
  }
  return bytes;
}

// The image in the cartridge's own order, which is the order a patch is made
// from; logged when it had to be converted.
bool PutInBigEndianOrder(ByteBuffer& image) {
  const std::optional<ByteOrder> order = ByteOrderOf(image);
  if (!order || *order == ByteOrder::kBigEndian) return true;
  if (image.size() % 4 != 0) {
    return Refuse("ROM::ApplyPatch(): Image length [" + std::to_string(image.size()) +
                  "] is not a whole number of 32-bit words");
  }
  ConvertToBigEndian(image, *order);
  LogInfo("ROM::ApplyPatch(): Converted the [" + std::string(ByteOrderName(*order)) +
          "] image to big-endian order");
  return true;
}

// Clears what killed runs left for the output, and refuses an output that
// another run is making now.
bool OutputIsFree(const PatchApplication& run) {
  const platform::UnfinishedFiles unfinished = platform::RemoveUnfinishedFiles(run.outputPath);
  if (unfinished.removed > 0) {
    LogInfo("Removed [" + std::to_string(unfinished.removed) +
            "] unfinished file(s) of an earlier run");
  }
  if (!unfinished.inUseByAnotherRun && platform::MayReplaceFile(run.outputPath, run.imagePath)) {
    return true;
  }
  return Refuse("ROM::ApplyPatch(): Unable to replace [" + run.outputPath + "]!");
}

// Reads the written game back from the disk and checks it before it takes
// the output's place. It is read piece by piece: in the browser a mapping of
// it would be one more copy in the page's memory.
bool SaveGame(const ByteBuffer& game, std::uint32_t targetCrc, const PatchApplication& run) {
  platform::ReplacementFile file(run.outputPath, platform::FileMode::kBinary);
  const std::string_view bytes(reinterpret_cast<const char*>(game.data()), game.size());
  if (!file.Write(bytes) || !file.Close()) {
    return Refuse("ROM::ApplyPatch(): Unable to write [" + run.outputPath + "]!");
  }
  if (FileCrc32(file.TemporaryPath()) != targetCrc) {
    return Refuse("ROM::ApplyPatch(): The game written to the disk reads back wrong!");
  }
  if (!platform::FlushFileToDisk(file.TemporaryPath()) ||
      !platform::MayReplaceFile(run.outputPath, run.imagePath) || !file.Commit()) {
    return Refuse("ROM::ApplyPatch(): Unable to save the game as [" + run.outputPath + "]!");
  }
  return true;
}

const RegionLayout& RegionOf(const ByteBuffer& game) {
  if (game.size() < kGameCodeOffset + kGameCodeLength) return region::kNorthAmerica;
  const std::string_view code(reinterpret_cast<const char*>(&game[kGameCodeOffset]),
                              kGameCodeLength);
  const RegionLayout* found = RegionForGameCode(code);
  return found != nullptr ? *found : region::kNorthAmerica;
}

void AddToDatabase(const ConfigFile& config, const ByteBuffer& game, bool gameEntry,
                   const RegionLayout& region) {
  const bool hasHeader = game.size() >= kCrc2Offset + 4;
  const std::string crc1 = hasHeader ? ToUpperHexText(LoadBigEndian32(&game[kCrc1Offset])) : "";
  const std::string crc2 = hasHeader ? ToUpperHexText(LoadBigEndian32(&game[kCrc2Offset])) : "";
  UpdateRDB(config, crc1, crc2, gameEntry ? Pj64Entry::kGameEntry : Pj64Entry::kImageSection,
            region);
}

}  // namespace

PatchOutcome ApplyPatchToImage(const PatchApplication& run) {
  PatchOutcome outcome;
  ConfigFile config(run.configPath);
  bool gameEntry = false;
  if (!ReadPatchRunOptions(config, gameEntry) || !OutputIsFree(run)) return outcome;
  std::optional<ByteBuffer> image = ReadInput(run.imagePath, kMostBpsTargetSize, "image");
  const std::optional<ByteBuffer> patch = ReadInput(run.patchPath, kMostPatchBytes, "patch");
  if (!image || !patch || !PutInBigEndianOrder(*image)) return outcome;

  const BpsApplyResult applied = ApplyBpsPatch(*patch, *image);
  image.reset();
  if (!applied.applied) {
    Refuse(applied.error);
    return outcome;
  }
  if (!SaveGame(applied.target, applied.header.targetCrc, run)) return outcome;
  LogSuccess("ROM::ApplyPatch(): Made [" + run.outputPath + "] from [" + run.imagePath +
             "] with patch [" + run.patchPath + "]");
  outcome.applied = true;
  outcome.hash = ComputeGameHash(applied.target);
  outcome.region = &RegionOf(applied.target);
  AddToDatabase(config, applied.target, gameEntry, *outcome.region);
  IncrementRandomisedROMCount(config);
  return outcome;
}

}  // namespace velmo
