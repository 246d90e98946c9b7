#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "rom/game_hash.h"
#include "support/byte_buffer.h"

namespace velmo {

// The patch's metadata: the release that made the game and its hash, so a
// racer can check what the patch makes. Never the seed or the share code,
// which would give the spoiler away.
std::string GamePatchMetadata(std::uint16_t releaseNumber, const GameHash& hash);

// Writes a BPS patch from the input image at inputPath (in big-endian order,
// whatever order the file is in, as the run put its copy) to the finished image
// beside it at patchPath, whole or not at all, and logs the outcome. Like the
// spoiler log, a patch that cannot be written is reported but spoils no
// game: the result is only for the caller's curiosity.
bool WriteGamePatch(const std::string& inputPath, std::span<const std::uint8_t> finishedImage,
                    const std::string& metadata, const std::string& patchPath);

}  // namespace velmo
