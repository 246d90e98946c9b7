#include "platform/file_length.h"

#include <sys/stat.h>
#include <unistd.h>

#include <limits>

namespace velmo::platform {

std::optional<std::uint64_t> FileLength(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || info.st_size < 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool TruncateFile(const std::string& path, std::uint64_t length) {
  if (length > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
  return truncate(path.c_str(), static_cast<off_t>(length)) == 0;
}

}  // namespace velmo::platform
