#pragma once

#include <cstdint>
#include <utility>

#include "platform/release_number.h"
#include "support/byte_buffer.h"

namespace velmo::testing {

// The image as a .v64 dump holds it: every pair of bytes exchanged.
inline ByteBuffer ByteSwappedDump(ByteBuffer image) {
  for (std::size_t i = 0; i + 1 < image.size(); i += 2) std::swap(image[i], image[i + 1]);
  return image;
}

// The release that in-process runs read from their made-up executable:
// compiled in on Linux, none (0) on Windows, which reads version resources.
inline std::uint16_t ReleaseOfInProcessRuns() {
  return platform::GetReleaseNumber("Velmo.exe");
}

}  // namespace velmo::testing
