#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

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
  int release() { return std::exchange(fd_, -1); }
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
// sharing. The lock taken here to find out is dropped with the descriptor.
bool MayReplace(const std::string& destination, const struct stat& source) {
  // Opened for reading only: when it is the source, it must stay untouched.
  const FileDescriptor existing(open(destination.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!existing.valid()) return errno == ENOENT;
  struct stat info {};
  return fstat(existing.get(), &info) == 0 && !SameFile(info, source) &&
         flock(existing.get(), LOCK_EX | LOCK_NB) == 0;
}

// A chunk that stays in the processor's cache between the read and the
// write, and is never zeroed: the read fills it.
constexpr std::size_t kCopyChunkSize = 128 * 1024;

bool CopyThroughChunks(int from, ReplacementFile& to) {
  const auto chunk = std::unique_ptr<char[]>(new char[kCopyChunkSize]);
  for (;;) {
    const ssize_t got = read(from, chunk.get(), kCopyChunkSize);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!to.Write({chunk.get(), static_cast<std::size_t>(got)})) return false;
  }
}

#ifdef __linux__
// Sends the copied bytes on their way to the disk now, while the run works
// for a few hundred milliseconds, instead of all at once in the flush before
// the image takes the output's place, which then waits only for the pages the
// run changed. Only a head start: the flush still makes sure.
void StartWritingBack(int fd) {
  sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}
#endif

// Has the kernel copy the bytes from file to file, without bringing them
// through this process: the image is most of what a run moves. Through a
// second descriptor of the temporary file, which the copy closes again.
// Nothing when the file systems cannot do that; false when the copy failed.
#ifdef __linux__
std::optional<bool> CopyInTheKernel(int from, const std::string& temporaryPath) {
  // What one call is asked to move.
  constexpr std::size_t kKernelCopyLength = 16 * 1024 * 1024;
  FileDescriptor to(open(temporaryPath.c_str(), O_WRONLY | O_CLOEXEC));
  if (!to.valid()) return std::nullopt;
  bool copiedAny = false;
  for (;;) {
    const ssize_t copied = copy_file_range(from, nullptr, to.get(), nullptr, kKernelCopyLength, 0);
    if (copied < 0 && errno == EINTR) continue;
    if (copied == 0) {
      StartWritingBack(to.get());
      return close(to.release()) == 0;
    }
    if (copied > 0) {
      copiedAny = true;
      continue;
    }
    const bool unsupported =
        errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    if (unsupported && !copiedAny) return std::nullopt;
    return false;
  }
}
#else
// Only Linux has the call; the browser's file system lives in memory anyway.
std::optional<bool> CopyInTheKernel(int, const std::string&) {
  return std::nullopt;
}
#endif

// The copy is given its whole length before the chunks fill it in: a file
// system in memory (the browser's) then holds it in one block from the start,
// instead of moving it to a larger block again and again as it grows.
bool CopyContents(int from, off_t length, ReplacementFile& to) {
  const std::optional<bool> inKernel = CopyInTheKernel(from, to.TemporaryPath());
  if (inKernel) return *inKernel;
  return truncate(to.TemporaryPath().c_str(), length) == 0 && CopyThroughChunks(from, to);
}

}  // namespace

bool MayReplaceFile(const std::string& destination, const std::string& source) {
  struct stat sourceInfo {};
  return stat(source.c_str(), &sourceInfo) == 0 && MayReplace(destination, sourceInfo);
}

std::unique_ptr<ReplacementFile> CopyFileBeside(const std::string& source,
                                                const std::string& destination) {
  FileDescriptor in(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return nullptr;
  struct stat sourceInfo {};
  if (fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return nullptr;
  if (!MayReplace(destination, sourceInfo)) return nullptr;

  // A full disk leaves an older output as it was, and no partial file behind.
  auto copy = std::make_unique<ReplacementFile>(destination, FileMode::kBinary);
  if (!copy->IsOpen() || !CopyContents(in.get(), sourceInfo.st_size, *copy) || !copy->Close()) {
    return nullptr;
  }
  return copy;
}

bool CopyFileReplacing(const std::string& source, const std::string& destination) {
  const std::unique_ptr<ReplacementFile> copy = CopyFileBeside(source, destination);
  return copy != nullptr && copy->Commit();
}

}  // namespace velmo::platform
