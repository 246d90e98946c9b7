#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "support/byte_buffer.h"

namespace velmo {

// A BPS patch that turns `source` into `target`, with the metadata text in its
// header. The same inputs give the same bytes on every platform. Made for
// images that mostly keep their bytes in place: unchanged bytes are read from
// the source at the same offset, blocks moved elsewhere are found in the
// source and copied, runs of one byte repeat it, and the rest is stored as it
// is. Beyond its inputs and the patch, it uses at most 4 MiB.
ByteBuffer CreateBpsPatch(std::span<const std::uint8_t> source,
                          std::span<const std::uint8_t> target, std::string_view metadata);

}  // namespace velmo
