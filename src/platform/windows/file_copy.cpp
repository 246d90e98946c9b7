#include "platform/file_copy.h"

#include "platform/windows/windows_api.h"

namespace velmo::platform {

bool CopyFileReplacing(const std::string& source, const std::string& destination) {
  // FALSE: an existing destination is replaced. A destination that is the
  // source itself (under another spelling or through a link) is refused by
  // CopyFileA with a sharing violation before anything is written, and so is
  // one another process holds open without sharing.
  return CopyFileA(source.c_str(), destination.c_str(), FALSE) == 1;
}

}  // namespace velmo::platform
