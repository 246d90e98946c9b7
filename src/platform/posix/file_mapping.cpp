#include "platform/file_mapping.h"

#include <sys/mman.h>
#include <unistd.h>

#include <limits>

#include "platform/posix/file_descriptor_mapping.h"

namespace velmo::platform {

MappedView MapView(MappingHandle mapping, std::uint64_t offset) {
  if (!mapping.IsValid()) return {};
  const DescriptorMapping& record = MappingRecord(mapping);
  if (offset >= record.size) return {};
  const std::uint64_t length = record.size - offset;
  if (length > std::numeric_limits<std::size_t>::max() ||
      offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    return {};
  }
  void* base = mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE, MAP_SHARED,
                    record.descriptor, static_cast<off_t>(offset));
  if (base == MAP_FAILED) return {};
  return MappedView{static_cast<std::uint8_t*>(base), length};
}

bool FlushView(MappedView view) {
  if (!view.IsMapped()) return true;
  return msync(view.base, static_cast<std::size_t>(view.length), MS_SYNC) == 0;
}

void UnmapView(MappedView view) {
  if (!view.IsMapped()) return;
  munmap(view.base, static_cast<std::size_t>(view.length));
}

}  // namespace velmo::platform
