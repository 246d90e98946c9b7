#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "support/byte_buffer.h"

namespace velmo {

// True when the bytes start with the BPS1 magic: how a patch is told from an
// image, whatever the file's name.
bool IsBpsPatch(std::span<const std::uint8_t> bytes);

// What a BPS patch says of itself: the image it was made for, the image it
// makes, and its free-form metadata text.
struct BpsPatchHeader {
  std::uint64_t sourceSize = 0;
  std::uint64_t targetSize = 0;
  std::string metadata;
  std::uint32_t sourceCrc = 0;
  std::uint32_t targetCrc = 0;
  std::uint32_t patchCrc = 0;
};

// The image a patch made, or why it was refused. The header holds what was
// read of it before any refusal.
struct BpsApplyResult {
  bool applied = false;
  std::string error;
  ByteBuffer target;
  BpsPatchHeader header;
};

// The largest image a patch may make: the largest cartridge image.
inline constexpr std::uint64_t kMostBpsTargetSize = 64ull * 1048576;

// Checks the patch against the image and applies it. On any refusal, applied
// is false, error says why in one plain sentence and target is empty. Whatever
// the patch holds, this reads only inside both spans and allocates at most
// kMostBpsTargetSize bytes for the image it makes.
BpsApplyResult ApplyBpsPatch(std::span<const std::uint8_t> patch,
                             std::span<const std::uint8_t> source);

}  // namespace velmo
