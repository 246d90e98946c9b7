#include "platform/replacement_file.h"

namespace velmo::platform {

bool WriteFileReplacing(const std::string& path, std::string_view contents, FileMode mode) {
  ReplacementFile file(path, mode);
  return file.Write(contents) && file.Commit();
}

}  // namespace velmo::platform
