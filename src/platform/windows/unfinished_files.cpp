#include "platform/unfinished_files.h"

#include <vector>

#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

bool ProcessRuns(std::uint64_t processId) {
  if (processId > MAXDWORD) return false;
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD exitCode = 0;
  const bool runs = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
  CloseHandle(process);
  return runs;
}

// A run holds its temporary file without sharing while it works on it.
bool HeldByAnother(const std::string& file) {
  const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

UnfinishedFiles RemoveUnfinishedFiles(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  const std::string prefix = separator == std::string::npos ? "" : path.substr(0, separator + 1);
  const std::string name = path.substr(prefix.size());
  UnfinishedFiles found;
  std::vector<std::pair<std::string, std::uint64_t>> files;
  WIN32_FIND_DATAA entry{};
  const HANDLE search = FindFirstFileA((path + ".*.tmp").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const auto owner = TemporaryFileOwner(entry.cFileName, name);
    if (owner) files.emplace_back(prefix + entry.cFileName, *owner);
  } while (FindNextFileA(search, &entry));
  FindClose(search);

  for (const auto& [file, owner] : files) {
    if (owner == GetCurrentProcessId()) continue;
    if (ProcessRuns(owner)) {
      found.inUseByAnotherRun = found.inUseByAnotherRun || HeldByAnother(file);
      continue;
    }
    if (DeleteFileA(file.c_str())) ++found.removed;
  }
  return found;
}

}  // namespace velmo::platform
