// The open file and its mapping object, shared by the native build's views
// (mmap) and the browser's (a copy in the heap).

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_mapping.h"
#include "platform/posix/file_descriptor_mapping.h"

namespace velmo::platform {

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
  return MappingHandle{new DescriptorMapping{descriptor, size}};
}

std::uint32_t GetAllocationGranularity() {
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pageSize > 0 ? static_cast<std::uint32_t>(pageSize) : 4096u;
}

bool FlushFile(FileHandle file) {
  if (!file.IsValid()) return true;
  return fsync(DescriptorOf(file)) == 0;
}

void CloseMapping(MappingHandle mapping) {
  if (!mapping.IsValid()) return;
  auto* record = static_cast<DescriptorMapping*>(mapping.value);
  close(record->descriptor);
  delete record;
}

void CloseFile(FileHandle file) {
  if (!file.IsValid()) return;
  close(DescriptorOf(file));
}

}  // namespace velmo::platform
