#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/replacement_file.h"

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

 private:
  int fd_;
};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether an existing destination may be replaced: not the source itself
// (under another name, or through a link), and not held by another run (its
// exclusive lock), as Windows refuses to replace a file opened without
// sharing. The lock taken here is kept by existing until the copy is in place.
bool MayReplace(const FileDescriptor& existing, const struct stat& source) {
  if (!existing.valid()) return errno == ENOENT;
  struct stat info {};
  return fstat(existing.get(), &info) == 0 && !SameFile(info, source) &&
         flock(existing.get(), LOCK_EX | LOCK_NB) == 0;
}

// A chunk that stays in the processor's cache between the read and the
// write, and is never zeroed: the read fills it.
constexpr std::size_t kCopyChunkSize = 128 * 1024;

bool CopyContents(int from, ReplacementFile& to) {
  const auto chunk = std::make_unique_for_overwrite<char[]>(kCopyChunkSize);
  for (;;) {
    const ssize_t got = read(from, chunk.get(), kCopyChunkSize);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!to.Write({chunk.get(), static_cast<std::size_t>(got)})) return false;
  }
}

}  // namespace

bool CopyFileReplacing(const std::string& source, const std::string& destination) {
  FileDescriptor in(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return false;
  struct stat sourceInfo {};
  if (fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return false;
  // Opened for reading only: when it is the source, it must stay untouched.
  const FileDescriptor existing(open(destination.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!MayReplace(existing, sourceInfo)) return false;

  // The copy replaces the destination only once it is complete: a full disk
  // leaves an older output as it was, and no partial file behind.
  ReplacementFile copy(destination, FileMode::kBinary);
  return copy.IsOpen() && CopyContents(in.get(), copy) && copy.Commit();
}

}  // namespace velmo::platform
