#include "platform/replacement_file.h"

#include <algorithm>
#include <atomic>

#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

HANDLE HandleOf(FileHandle file) {
  return reinterpret_cast<HANDLE>(file.value);
}

std::string WithWindowsLineEnds(std::string_view text) {
  std::string converted;
  converted.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  constexpr std::size_t kLargestWrite = 1u << 30;
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kLargestWrite));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::string TemporaryPathBeside(const std::string& path) {
  static std::atomic<unsigned> count{0};
  return path + "." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(count++) +
         ".tmp";
}

ReplacementFile::ReplacementFile(std::string path, FileMode mode)
    : path_(std::move(path)), temporaryPath_(TemporaryPathBeside(path_)), mode_(mode) {
  // CREATE_NEW: a file of that name that is not ours is never taken over.
  const HANDLE file = CreateFileA(temporaryPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    temporaryPath_.clear();
    return;
  }
  file_ = FileHandle{reinterpret_cast<std::intptr_t>(file)};
}

ReplacementFile::~ReplacementFile() {
  Discard();
}

bool ReplacementFile::Write(std::string_view bytes) {
  if (!file_.IsValid() || failed_) return false;
  failed_ = mode_ == FileMode::kText ? !WriteAll(HandleOf(file_), WithWindowsLineEnds(bytes))
                                     : !WriteAll(HandleOf(file_), bytes);
  return !failed_;
}

bool ReplacementFile::FinishWriting(bool flushFirst) {
  if (!file_.IsValid()) return !failed_;
  const HANDLE file = HandleOf(file_);
  file_ = {};
  const bool flushed = !flushFirst || FlushFileBuffers(file) != 0;
  if (!CloseHandle(file) || !flushed) failed_ = true;
  return !failed_;
}

bool ReplacementFile::CommitAs(const std::string& path) {
  if (temporaryPath_.empty() || failed_) return false;
  // MOVEFILE_WRITE_THROUGH: the call returns once the move is on the disk.
  if (!FinishWriting(true) || !MoveFileExA(temporaryPath_.c_str(), path.c_str(),
                                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    failed_ = true;
    Discard();
    return false;
  }
  temporaryPath_.clear();
  return true;
}

void ReplacementFile::Discard() {
  if (file_.IsValid()) CloseHandle(HandleOf(file_));
  file_ = {};
  if (!temporaryPath_.empty()) DeleteFileA(temporaryPath_.c_str());
  temporaryPath_.clear();
}

}  // namespace velmo::platform
