#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "assets/setup_file_entry.h"
#include "support/byte_buffer.h"

namespace velmo {

// Inflates the file-table block of the image into inflated21990. False when
// the image is too short to hold the block or the block does not inflate.
bool Load21990Data(std::span<const std::uint8_t> image, ByteBuffer& inflated21990);

// Finds the 21 level setup files in the inflated table, in table order. The
// table is refused (false, setupFiles left empty) when its first entry is not
// Archives, or when any entry is not a setup asset, repeats one, or places its
// file beyond its end bound or beyond the image.
bool ProcessFileTable(std::span<const std::uint8_t> inflated21990, std::uint64_t imageSize,
                      std::vector<SetupFileEntry>& setupFiles);

}  // namespace velmo
