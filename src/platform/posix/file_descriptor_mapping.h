#pragma once

#include <cstdint>

#include "platform/file_mapping.h"

namespace velmo::platform {

// POSIX has no mapping object of its own: the handle owns a duplicate of the
// file's descriptor (so it outlives the file handle, as a Windows mapping
// object does) and the size every view runs up to. Views are made from it by
// mmap natively and by a copy in the heap in the browser.
struct DescriptorMapping {
  int descriptor;
  std::uint64_t size;
};

inline int DescriptorOf(FileHandle file) {
  return static_cast<int>(file.value);
}

inline const DescriptorMapping& MappingRecord(MappingHandle mapping) {
  return *static_cast<const DescriptorMapping*>(mapping.value);
}

}  // namespace velmo::platform
