#include "platform/unfinished_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <vector>

namespace velmo::platform {
namespace {

bool ProcessRuns(std::uint64_t processId) {
  if (processId == 0 || processId > static_cast<std::uint64_t>(INT_MAX)) return false;
  return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

// A run holds its temporary file under an exclusive lock while it works on it.
bool HeldByAnother(const std::string& file) {
  const int descriptor = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return false;
  const bool held = flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(descriptor);
  return held;
}

bool IsRegularFile(const std::string& file) {
  struct stat info {};
  return lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

UnfinishedFiles RemoveUnfinishedFiles(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = path.substr(prefix.size());
  UnfinishedFiles found;
  DIR* folder = opendir(prefix.empty() ? "." : prefix.c_str());
  if (folder == nullptr) return found;
  std::vector<std::pair<std::string, std::uint64_t>> files;
  while (const dirent* entry = readdir(folder)) {
    const auto owner = TemporaryFileOwner(entry->d_name, name);
    if (owner) files.emplace_back(prefix + entry->d_name, *owner);
  }
  closedir(folder);

  for (const auto& [file, owner] : files) {
    if (owner == static_cast<std::uint64_t>(getpid()) || !IsRegularFile(file)) continue;
    if (ProcessRuns(owner)) {
      found.inUseByAnotherRun = found.inUseByAnotherRun || HeldByAnother(file);
      continue;
    }
    if (unlink(file.c_str()) == 0) ++found.removed;
  }
  return found;
}

}  // namespace velmo::platform
