#include "platform/file_copy.h"

#include "platform/replacement_file.h"
#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

// Copies source to a new file at temporary; a partial copy is removed, while
// a file that already had that name is not ours and stays.
bool CopyToNewFile(const std::string& source, const std::string& temporary) {
  if (CopyFileA(source.c_str(), temporary.c_str(), TRUE) == 1) return true;
  if (GetLastError() != ERROR_FILE_EXISTS) DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace

bool CopyFileReplacing(const std::string& source, const std::string& destination) {
  // The source stays open without FILE_SHARE_DELETE until the copy is in
  // place. Replacing a file needs delete access to it, so the move below
  // fails with a sharing violation when the destination is the source itself
  // (under another spelling, or through a hard link): the source is never
  // replaced. A destination another process holds open without sharing is
  // refused by the move in the same way.
  const HANDLE held = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return false;
  // The copy replaces the destination only once it is complete: a full disk
  // leaves an older output as it was, and no partial file behind.
  const std::string temporary = TemporaryPathBeside(destination);
  bool replaced = false;
  if (CopyToNewFile(source, temporary)) {
    replaced = MoveFileExA(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!replaced) DeleteFileA(temporary.c_str());
  }
  CloseHandle(held);
  return replaced;
}

}  // namespace velmo::platform
