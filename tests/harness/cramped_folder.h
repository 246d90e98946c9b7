#pragma once

#ifndef _WIN32

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmo::testing {

// A folder where a child's writes run out of room part-way. Run as root (as
// CI is), it is a small tmpfs mounted for the test, whose free space Restrict
// fills but for the room asked for. Otherwise it is a plain folder, and
// Restrict gives a file-size limit for the child instead, so the file that is
// to fail must then be the one to outgrow that limit.
//
// Owns the folder, and the mount when there is one: both are gone when the
// object dies. POSIX only: the tests that need it skip on Windows.
class CrampedFolder {
 public:
  // tmpfsSize: the size of the tmpfs, when one is mounted.
  CrampedFolder(std::filesystem::path path, std::uint64_t tmpfsSize);
  ~CrampedFolder();
  CrampedFolder(const CrampedFolder&) = delete;
  CrampedFolder& operator=(const CrampedFolder&) = delete;

  bool OnTmpfs() const { return mounted_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

  // On the tmpfs, leaves roomOnTmpfs bytes free (rounded to whole pages) and
  // gives 0; otherwise gives fileSizeLimit, the limit to run the child with.
  std::uint64_t Restrict(std::uint64_t roomOnTmpfs, std::uint64_t fileSizeLimit);

  // The names of the files in the folder, sorted, without the filler.
  std::vector<std::string> FileNames() const;

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
};

}  // namespace velmo::testing

#endif
