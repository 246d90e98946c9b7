#include "platform/file_copy.h"

#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

// The identity of an existing file: its volume and its index on that volume.
// Two paths (links, different spellings) name the same file when both match.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Opened with no access at all and shared with everyone, so the file's users
// are not disturbed; false when the file cannot be opened (it may not exist).
bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  const HANDLE file =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  if (!known) return false;
  identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh,
              information.nFileIndexLow};
  return true;
}

bool SameFile(const std::string& source, const std::string& destination) {
  FileIdentity sourceIdentity;
  FileIdentity destinationIdentity;
  return IdentifyFile(source, sourceIdentity) && IdentifyFile(destination, destinationIdentity) &&
         sourceIdentity == destinationIdentity;
}

}  // namespace

bool CopyFileReplacing(const std::string& source, const std::string& destination) {
  // Copying a file onto itself would open the input for writing.
  if (SameFile(source, destination)) return false;
  return CopyFileA(source.c_str(), destination.c_str(), FALSE) == 1;
}

}  // namespace velmo::platform
