#include "platform/file_mapping.h"

#include <emscripten.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <new>

namespace velmo::platform {
namespace {

// The browser's files live in JavaScript memory, outside the WebAssembly
// heap, so no view of them can be shared: a view is a copy in the heap, read
// in one piece when it is mapped and written back in one piece when it is
// flushed or unmapped. (emscripten's own mmap does the same, but in pieces
// of its choosing, and needs a second heap block as large as the file.)
struct WebMapping {
  int descriptor;
  std::uint64_t size;
};

// What a view needs to find its way back to the file; it sits just before
// the view's first byte, in the same heap block, and keeps the block's
// alignment.
struct alignas(16) ViewOrigin {
  int descriptor;
  std::uint64_t offset;
};

int DescriptorOf(FileHandle file) {
  return static_cast<int>(file.value);
}

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

FileHandle OpenFileExclusive(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (descriptor < 0) return {};
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    close(descriptor);
    return {};
  }
  return FileHandle{descriptor};
}

bool QueryFileSize(FileHandle file, std::uint64_t& size) {
  if (!file.IsValid()) return false;
  struct stat info {};
  if (fstat(DescriptorOf(file), &info) != 0 || info.st_size < 0) return false;
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

MappingHandle CreateMapping(FileHandle file, std::uint64_t size) {
  if (!file.IsValid() || size == 0) return {};
  const int descriptor = fcntl(DescriptorOf(file), F_DUPFD_CLOEXEC, 0);
  if (descriptor < 0) return {};
  return MappingHandle{new WebMapping{descriptor, size}};
}

std::uint32_t GetAllocationGranularity() {
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pageSize > 0 ? static_cast<std::uint32_t>(pageSize) : 4096u;
}

MappedView MapView(MappingHandle mapping, std::uint64_t offset) {
  if (!mapping.IsValid()) return {};
  const auto& record = *static_cast<const WebMapping*>(mapping.value);
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

bool FlushFile(FileHandle file) {
  if (!file.IsValid()) return true;
  return fsync(DescriptorOf(file)) == 0;
}

void UnmapView(MappedView view) {
  if (!view.IsMapped()) return;
  // As a shared mapping's changes do, the view's reach the file without a
  // flush; its file is still open, as the mapping holds a descriptor of it.
  FlushView(view);
  std::free(&OriginOf(view));
}

void CloseMapping(MappingHandle mapping) {
  if (!mapping.IsValid()) return;
  auto* record = static_cast<WebMapping*>(mapping.value);
  close(record->descriptor);
  delete record;
}

void CloseFile(FileHandle file) {
  if (!file.IsValid()) return;
  close(DescriptorOf(file));
}

}  // namespace velmo::platform
