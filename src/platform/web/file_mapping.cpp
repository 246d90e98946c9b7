// The browser's files live in JavaScript memory, outside the WebAssembly
// heap, so no view of them can be shared: a view is a copy in the heap, read
// in one piece when it is mapped and written back in one piece when it is
// flushed or unmapped. (emscripten's own mmap does the same, but in pieces
// of its choosing, and needs a second heap block as large as the file.) The
// open file and the mapping object are the POSIX ones.

#include "platform/file_mapping.h"

#include <emscripten.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <new>

#include "platform/posix/file_descriptor_mapping.h"

namespace velmo::platform {
namespace {

// What a view needs to find its way back to the file; it sits just before
// the view's first byte, in the same heap block, and keeps the block's
// alignment.
struct alignas(16) ViewOrigin {
  int descriptor;
  std::uint64_t offset;
};

ViewOrigin& OriginOf(MappedView view) {
  return *(reinterpret_cast<ViewOrigin*>(view.base) - 1);
}

// Tells the page that its memory, not the image, stopped the run.
EM_JS(void, ReportOutOfMemory, (double bytes), {
  if (Module["onOutOfMemory"]) Module["onOutOfMemory"](bytes);
});

bool ReadAll(int descriptor, std::uint8_t* bytes, std::uint64_t length, std::uint64_t offset) {
  while (length > 0) {
    const ssize_t got =
        pread(descriptor, bytes, static_cast<std::size_t>(length), static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    length -= static_cast<std::uint64_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

bool WriteAll(int descriptor, const std::uint8_t* bytes, std::uint64_t length,
              std::uint64_t offset) {
  while (length > 0) {
    const ssize_t written =
        pwrite(descriptor, bytes, static_cast<std::size_t>(length), static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    length -= static_cast<std::uint64_t>(written);
    offset += static_cast<std::uint64_t>(written);
  }
  return true;
}

}  // namespace

MappedView MapView(MappingHandle mapping, std::uint64_t offset) {
  if (!mapping.IsValid()) return {};
  const DescriptorMapping& record = MappingRecord(mapping);
  if (offset >= record.size) return {};
  const std::uint64_t length = record.size - offset;
  if (length > std::numeric_limits<std::size_t>::max() - sizeof(ViewOrigin)) return {};
  void* block = std::malloc(sizeof(ViewOrigin) + static_cast<std::size_t>(length));
  if (block == nullptr) {
    ReportOutOfMemory(static_cast<double>(length));
    return {};
  }
  auto* origin = new (block) ViewOrigin{record.descriptor, offset};
  const MappedView view{reinterpret_cast<std::uint8_t*>(origin + 1), length};
  if (!ReadAll(record.descriptor, view.base, length, offset)) {
    std::free(block);
    return {};
  }
  return view;
}

bool FlushView(MappedView view) {
  if (!view.IsMapped()) return true;
  const ViewOrigin& origin = OriginOf(view);
  return WriteAll(origin.descriptor, view.base, view.length, origin.offset);
}

void UnmapView(MappedView view) {
  if (!view.IsMapped()) return;
  // As a shared mapping's changes do, the view's reach the file without a
  // flush; its file is still open, as the mapping holds a descriptor of it.
  FlushView(view);
  std::free(&OriginOf(view));
}

}  // namespace velmo::platform
