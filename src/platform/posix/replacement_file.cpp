#include "platform/replacement_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace velmo::platform {
namespace {

int DescriptorOf(FileHandle file) {
  return static_cast<int>(file.value);
}

bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A rename is only lasting once the folder holding both names is on the
// disk. Some file systems cannot flush a folder; the rename stands anyway.
void FlushFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

}  // namespace

std::string TemporaryPathBeside(const std::string& path) {
  static std::atomic<unsigned> count{0};
  return path + "." + std::to_string(getpid()) + "." + std::to_string(count++) + ".tmp";
}

ReplacementFile::ReplacementFile(std::string path, FileMode mode)
    : path_(std::move(path)), temporaryPath_(TemporaryPathBeside(path_)), mode_(mode) {
  // O_EXCL: a file of that name that is not ours is never taken over.
  const int descriptor =
      open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    temporaryPath_.clear();
    return;
  }
  file_ = FileHandle{descriptor};
}

ReplacementFile::~ReplacementFile() {
  Discard();
}

bool ReplacementFile::Write(std::string_view bytes) {
  if (!file_.IsValid() || failed_) return false;
  failed_ = !WriteAll(DescriptorOf(file_), bytes);
  return !failed_;
}

bool ReplacementFile::FinishWriting(bool flushFirst) {
  if (!file_.IsValid()) return !failed_;
  const int descriptor = DescriptorOf(file_);
  file_ = {};
  const bool flushed = !flushFirst || fsync(descriptor) == 0;
  // A full disk may show only when the last buffered bytes are written out.
  if (close(descriptor) != 0 || !flushed) failed_ = true;
  return !failed_;
}

bool ReplacementFile::CommitAs(const std::string& path) {
  if (temporaryPath_.empty() || failed_) return false;
  if (!FinishWriting(true) || std::rename(temporaryPath_.c_str(), path.c_str()) != 0) {
    failed_ = true;
    Discard();
    return false;
  }
  temporaryPath_.clear();
  FlushFolderOf(path);
  return true;
}

void ReplacementFile::Discard() {
  if (file_.IsValid()) close(DescriptorOf(file_));
  file_ = {};
  if (!temporaryPath_.empty()) unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}

}  // namespace velmo::platform
