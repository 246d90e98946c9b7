#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace velmo::platform {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool SameFile(const struct stat& a, const std::string& otherPath) {
  struct stat other {};
  if (stat(otherPath.c_str(), &other) != 0) return false;
  return a.st_dev == other.st_dev && a.st_ino == other.st_ino;
}

bool WriteAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, data, length);
    if (written <= 0) return false;
    data += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool CopyFileReplacing(const std::string& source, const std::string& destination) {
  FileDescriptor in(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return false;
  struct stat sourceInfo {};
  if (fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return false;
  if (SameFile(sourceInfo, destination)) return false;

  FileDescriptor out(open(destination.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  if (!out.valid()) return false;
  // A destination another run holds open (its exclusive lock) is refused, as
  // Windows refuses to copy over a file opened without sharing; so it is
  // emptied only once it is known to be free.
  if (flock(out.get(), LOCK_EX | LOCK_NB) != 0 || ftruncate(out.get(), 0) != 0) return false;

  std::vector<char> chunk(1 << 20);
  for (;;) {
    const ssize_t got = read(in.get(), chunk.data(), chunk.size());
    if (got < 0) return false;
    if (got == 0) break;
    if (!WriteAll(out.get(), chunk.data(), static_cast<size_t>(got))) return false;
  }
  return out.Close();
}

}  // namespace velmo::platform
