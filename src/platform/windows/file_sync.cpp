#include "platform/file_sync.h"

#include "platform/windows/windows_api.h"

namespace velmo::platform {

bool FlushFileToDisk(const std::string& path) {
  // FlushFileBuffers needs write access; the file stays shared, as a file
  // stream shares it.
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != 0;
  return CloseHandle(file) != 0 && flushed;
}

}  // namespace velmo::platform
