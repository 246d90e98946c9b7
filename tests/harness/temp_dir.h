#pragma once

#include <filesystem>
#include <string>

#include "support/byte_buffer.h"

namespace velmo::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Reads a text file the way it was written, in text mode: on Windows its
// CR LF line ends come back as line feeds, so one expected text fits both.
std::string ReadTextFile(const std::string& path);
// Writes exactly the given bytes, line ends included.
void WriteTextFile(const std::string& path, const std::string& text);
ByteBuffer ReadBinaryFile(const std::string& path);
void WriteBinaryFile(const std::string& path, const ByteBuffer& bytes);

}  // namespace velmo::testing
