#include "platform/file_sync.h"

#include <fcntl.h>
#include <unistd.h>

namespace velmo::platform {

bool FlushFileToDisk(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool flushed = fsync(descriptor) == 0;
  return close(descriptor) == 0 && flushed;
}

}  // namespace velmo::platform
