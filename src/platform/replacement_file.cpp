#include "platform/replacement_file.h"

namespace velmo::platform {

bool ReplacementFile::Close() {
  return !temporaryPath_.empty() && FinishWriting(false);
}

bool ReplacementFile::Commit() {
  return CommitAs(path_);
}

bool WriteFileReplacing(const std::string& path, std::string_view contents, FileMode mode) {
  ReplacementFile file(path, mode);
  return file.Write(contents) && file.Commit();
}

}  // namespace velmo::platform
