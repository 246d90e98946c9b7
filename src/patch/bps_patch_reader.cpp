#include "patch/bps_patch_reader.h"

#include <algorithm>
#include <optional>

#include "patch/bps_format.h"
#include "patch/bps_number.h"
#include "support/content_crc.h"
#include "support/number_text.h"

namespace velmo {

namespace {

using bps::ActionKind;
using bps::NumberRead;

constexpr char kTooLarge[] = "This patch is damaged: a number in it is too large";
constexpr char kPastSource[] = "This patch is damaged: an action runs past the source image";
constexpr char kPastPatchData[] = "This patch is damaged: an action runs past the patch's data";
constexpr char kPastTarget[] = "This patch is damaged: an action runs past the image it makes";
constexpr char kOutsideWritten[] =
    "This patch is damaged: an action copies from outside the part of the image made so far";

std::string Hex(std::uint32_t value) {
  return ToUpperHexText(value);
}

std::string Bytes(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

std::uint32_t ReadLittleWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// Runs the actions in [offset, end of actions) into a target of the header's
// size. The patch's own span ends where the footer begins.
class ActionRunner {
 public:
  ActionRunner(std::span<const std::uint8_t> actions, std::size_t offset,
               std::span<const std::uint8_t> source, std::uint64_t targetSize)
      : actions_(actions),
        offset_(offset),
        source_(source),
        target_(static_cast<std::size_t>(targetSize)) {}

  // An error message, or nothing when the actions made the whole target.
  std::optional<std::string> Run() {
    while (written_ < target_.size()) {
      if (offset_ == actions_.size()) {
        return "This patch is damaged: its actions make " + Bytes(written_) + ", not the " +
               std::to_string(target_.size()) + " it names";
      }
      if (auto error = RunOneAction()) return error;
    }
    if (offset_ != actions_.size()) {
      return "This patch is damaged: its actions end " + Bytes(actions_.size() - offset_) +
             " before its footer";
    }
    return std::nullopt;
  }

  ByteBuffer TakeTarget() { return std::move(target_); }

 private:
  std::optional<std::string> ReadNumber(std::uint64_t& value) {
    switch (bps::ReadNumber(actions_, offset_, value)) {
      case NumberRead::kRead:
        return std::nullopt;
      case NumberRead::kCutShort:
        return kPastPatchData;
      case NumberRead::kTooLarge:
        break;
    }
    return kTooLarge;
  }

  std::optional<std::string> RunOneAction() {
    std::uint64_t first = 0;
    if (auto error = ReadNumber(first)) return error;
    const std::uint64_t wide = (first >> bps::kActionKindBits) + 1;
    if (wide > target_.size() - written_) return kPastTarget;
    const auto length = static_cast<std::size_t>(wide);
    switch (static_cast<ActionKind>(first & 3)) {
      case ActionKind::kSourceRead:
        return SourceRead(length);
      case ActionKind::kTargetRead:
        return TargetRead(length);
      case ActionKind::kSourceCopy:
        return SourceCopy(length);
      case ActionKind::kTargetCopy:
        break;
    }
    return TargetCopy(length);
  }

  std::optional<std::string> SourceRead(std::size_t length) {
    if (written_ > source_.size() || length > source_.size() - written_) return kPastSource;
    std::copy_n(source_.begin() + written_, length, target_.begin() + written_);
    written_ += length;
    return std::nullopt;
  }

  std::optional<std::string> TargetRead(std::size_t length) {
    if (length > actions_.size() - offset_) return kPastPatchData;
    std::copy_n(actions_.begin() + offset_, length, target_.begin() + written_);
    offset_ += length;
    written_ += length;
    return std::nullopt;
  }

  // Moves a relative offset by the signed step that follows in the patch.
  // Refuses a step that leaves [0, limit].
  std::optional<std::string> Step(std::size_t& relative, std::size_t limit, const char* outside) {
    std::uint64_t step = 0;
    if (auto error = ReadNumber(step)) return error;
    const std::uint64_t distance = step >> 1;
    if (step & 1) {
      if (distance > relative) return outside;
      relative -= static_cast<std::size_t>(distance);
    } else {
      if (distance > limit - relative) return outside;
      relative += static_cast<std::size_t>(distance);
    }
    return std::nullopt;
  }

  std::optional<std::string> SourceCopy(std::size_t length) {
    if (auto error = Step(sourceRelative_, source_.size(), kPastSource)) return error;
    if (length > source_.size() - sourceRelative_) return kPastSource;
    std::copy_n(source_.begin() + sourceRelative_, length, target_.begin() + written_);
    sourceRelative_ += length;
    written_ += length;
    return std::nullopt;
  }

  // Byte by byte: a copy that overlaps what it writes repeats the bytes.
  std::optional<std::string> TargetCopy(std::size_t length) {
    if (auto error = Step(targetRelative_, written_, kOutsideWritten)) return error;
    if (targetRelative_ >= written_) return kOutsideWritten;
    for (std::size_t index = 0; index < length; ++index) {
      target_[written_++] = target_[targetRelative_++];
    }
    return std::nullopt;
  }

  std::span<const std::uint8_t> actions_;
  std::size_t offset_;
  std::span<const std::uint8_t> source_;
  ByteBuffer target_;
  std::size_t written_ = 0;
  std::size_t sourceRelative_ = 0;
  std::size_t targetRelative_ = 0;
};

// Reads the three numbers and the metadata, leaving `offset` at the first
// action. The span ends where the footer begins.
std::optional<std::string> ReadHeader(std::span<const std::uint8_t> body, std::size_t& offset,
                                      BpsPatchHeader& header) {
  std::uint64_t metadataSize = 0;
  for (std::uint64_t* value : {&header.sourceSize, &header.targetSize, &metadataSize}) {
    switch (bps::ReadNumber(body, offset, *value)) {
      case NumberRead::kRead:
        continue;
      case NumberRead::kCutShort:
        return "This patch is cut short: its header runs past its end";
      case NumberRead::kTooLarge:
        return kTooLarge;
    }
  }
  if (metadataSize > body.size() - offset) {
    return "This patch is cut short: its header runs past its end";
  }
  header.metadata.assign(body.begin() + offset, body.begin() + offset + metadataSize);
  offset += metadataSize;
  return std::nullopt;
}

std::optional<std::string> CheckSource(const BpsPatchHeader& header,
                                       std::span<const std::uint8_t> source) {
  if (header.targetSize > kMostBpsTargetSize) {
    return "This patch would make an image of " + Bytes(header.targetSize) +
           "; a cartridge image is at most 64 MiB";
  }
  if (header.sourceSize != source.size()) {
    return "This patch was made for an image of " + Bytes(header.sourceSize) + "; this image has " +
           Bytes(source.size());
  }
  const std::uint32_t sourceCrc = ContentCrc32(source);
  if (header.sourceCrc != sourceCrc) {
    return "This patch was made for another image (CRC-32 " + Hex(header.sourceCrc) +
           "); this image is " + Hex(sourceCrc);
  }
  return std::nullopt;
}

BpsApplyResult Refusal(BpsApplyResult result, std::string error) {
  result.applied = false;
  result.error = std::move(error);
  result.target.clear();
  return result;
}

}  // namespace

bool IsBpsPatch(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= bps::kMagicSize &&
         std::equal(std::begin(bps::kMagic), std::end(bps::kMagic), bytes.begin());
}

BpsApplyResult ApplyBpsPatch(std::span<const std::uint8_t> patch,
                             std::span<const std::uint8_t> source) {
  BpsApplyResult result;
  if (!IsBpsPatch(patch)) {
    return Refusal(std::move(result), "This file is not a BPS patch: it does not begin with BPS1");
  }
  if (patch.size() < bps::kMagicSize + bps::kFooterSize) {
    return Refusal(std::move(result), "This patch is cut short: " + std::to_string(patch.size()) +
                                          " bytes are too few for a BPS patch");
  }
  const std::size_t footer = patch.size() - bps::kFooterSize;
  BpsPatchHeader& header = result.header;
  header.sourceCrc = ReadLittleWord(patch, footer);
  header.targetCrc = ReadLittleWord(patch, footer + 4);
  header.patchCrc = ReadLittleWord(patch, footer + 8);
  const std::uint32_t patchCrc = ContentCrc32(patch.first(patch.size() - 4));
  if (header.patchCrc != patchCrc) {
    return Refusal(std::move(result), "This patch is damaged: its CRC-32 is " +
                                          Hex(header.patchCrc) + ", but its bytes give " +
                                          Hex(patchCrc));
  }
  const auto body = patch.first(footer);
  std::size_t offset = bps::kMagicSize;
  if (auto error = ReadHeader(body, offset, header)) return Refusal(std::move(result), *error);
  if (auto error = CheckSource(header, source)) return Refusal(std::move(result), *error);

  ActionRunner runner(body, offset, source, header.targetSize);
  if (auto error = runner.Run()) return Refusal(std::move(result), *error);
  result.target = runner.TakeTarget();
  const std::uint32_t targetCrc = ContentCrc32(result.target);
  if (header.targetCrc != targetCrc) {
    return Refusal(std::move(result), "This patch did not make the image it was made for (CRC-32 " +
                                          Hex(header.targetCrc) + "); it made " + Hex(targetCrc));
  }
  result.applied = true;
  return result;
}

}  // namespace velmo
