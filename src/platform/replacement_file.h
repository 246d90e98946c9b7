#pragma once

#include <string>
#include <string_view>

#include "platform/file_mapping.h"

namespace velmo::platform {

// How a file's bytes are written: kText writes every line feed as the
// platform's line end (CR LF on Windows), as a text-mode stream does.
enum class FileMode { kBinary, kText };

// A new version of the file at a path that takes the path's place only once
// it is complete. It is written under a temporary name in the same folder and
// moved over the path by Commit. Until then, and whenever a write, the close
// or the move fails, the file at the path stays exactly as it was. Commit
// writes the file to the disk before the move and the move after it, so that
// a power cut leaves either the old file or the whole new one.
//
// Owns the temporary file and, until Close or Commit, its open handle; the
// temporary file is removed when the object dies without a successful Commit.
class ReplacementFile {
 public:
  ReplacementFile(std::string path, FileMode mode);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // False when the temporary file could not be created, and after Close.
  bool IsOpen() const { return file_.IsValid(); }
  // Appends bytes; false, and nothing more is written, once a write failed.
  bool Write(std::string_view bytes);
  // Closes the temporary file but keeps it, so that another opener (a
  // mapping of it) can change it before Commit; that opener then writes its
  // changes to the disk itself. False when the close failed.
  bool Close();
  // Closes the temporary file and moves it over the path; CommitAs moves it
  // over another path in the same folder instead.
  bool Commit();
  bool CommitAs(const std::string& path);
  // Removes the temporary file now; the file at the path stays as it was.
  void Discard();

  // Where the bytes are until Commit; empty once there is no such file.
  const std::string& TemporaryPath() const { return temporaryPath_; }

 private:
  // Writes the open file to the disk when asked to, then closes it.
  bool FinishWriting(bool flushFirst);

  std::string path_;
  std::string temporaryPath_;       // empty once there is no temporary file of ours
  [[maybe_unused]] FileMode mode_;  // only Windows has line ends to translate
  FileHandle file_;
  bool failed_ = false;
};

// Writes contents as the whole new file at path, through a ReplacementFile.
bool WriteFileReplacing(const std::string& path, std::string_view contents, FileMode mode);

// A name in path's folder for a file that is to replace path: path followed
// by the process id, a count and ".tmp", so that no two writers pick the same.
std::string TemporaryPathBeside(const std::string& path);

}  // namespace velmo::platform
