#include "platform/file_mapping.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

namespace velmo::platform {
namespace {

// POSIX has no mapping object of its own: the handle owns a duplicate of the
// file's descriptor (so it outlives the file handle, as a Windows mapping
// object does) and the size every view runs up to.
struct PosixMapping {
  int descriptor;
  std::uint64_t size;
};

int DescriptorOf(FileHandle file) {
  return static_cast<int>(file.value);
}

}  // namespace

FileHandle OpenFileExclusive(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (descriptor < 0) return {};
  // "No sharing": an exclusive lock, held until the last descriptor of this
  // open file is closed. A second opener (another Velmo on the same output,
  // or any program that locks the file) is refused instead of waited for.
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
  return MappingHandle{new PosixMapping{descriptor, size}};
}

std::uint32_t GetAllocationGranularity() {
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pageSize > 0 ? static_cast<std::uint32_t>(pageSize) : 4096u;
}

MappedView MapView(MappingHandle mapping, std::uint64_t offset) {
  if (!mapping.IsValid()) return {};
  const auto& record = *static_cast<const PosixMapping*>(mapping.value);
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

bool FlushFile(FileHandle file) {
  if (!file.IsValid()) return true;
  return fsync(DescriptorOf(file)) == 0;
}

void UnmapView(MappedView view) {
  if (!view.IsMapped()) return;
  munmap(view.base, static_cast<std::size_t>(view.length));
}

void CloseMapping(MappingHandle mapping) {
  if (!mapping.IsValid()) return;
  auto* record = static_cast<PosixMapping*>(mapping.value);
  close(record->descriptor);
  delete record;
}

void CloseFile(FileHandle file) {
  if (!file.IsValid()) return;
  close(DescriptorOf(file));
}

}  // namespace velmo::platform
