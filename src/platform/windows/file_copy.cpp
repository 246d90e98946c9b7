#include "platform/file_copy.h"

#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

// What tells two names of one file apart from two files: the volume and the
// file's index on it, the same through a hard link or another spelling.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Opens an existing file for reading, shared with every other opener: this
// fails with a sharing violation only when someone holds it without sharing.
HANDLE OpenShared(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IdentityOf(HANDLE file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return false;
  identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh,
              information.nFileIndexLow};
  return true;
}

bool IdentityOf(const std::string& path, FileIdentity& identity) {
  const HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = IdentityOf(file, identity);
  CloseHandle(file);
  return known;
}

}  // namespace

bool MayReplaceFile(const std::string& destination, const std::string& source) {
  FileIdentity sourceIdentity;
  if (!IdentityOf(source, sourceIdentity)) return false;
  const HANDLE existing = OpenShared(destination);
  if (existing == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  FileIdentity destinationIdentity;
  const bool other =
      IdentityOf(existing, destinationIdentity) && !(destinationIdentity == sourceIdentity);
  CloseHandle(existing);
  return other;
}

std::unique_ptr<ReplacementFile> CopyFileBeside(const std::string& source,
                                                const std::string& destination) {
  if (!MayReplaceFile(destination, source)) return nullptr;
  // The temporary file is made ours first (a name that is taken is never
  // used), then filled by the system's copy; a failed copy is removed with it.
  auto copy = std::make_unique<ReplacementFile>(destination, FileMode::kBinary);
  if (!copy->IsOpen() || !copy->Close()) return nullptr;
  if (CopyFileA(source.c_str(), copy->TemporaryPath().c_str(), FALSE) != 1) return nullptr;
  return copy;
}

bool CopyFileReplacing(const std::string& source, const std::string& destination) {
  const std::unique_ptr<ReplacementFile> copy = CopyFileBeside(source, destination);
  return copy != nullptr && copy->Commit();
}

}  // namespace velmo::platform
