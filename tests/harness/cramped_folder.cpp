#ifndef _WIN32

#include "harness/cramped_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>

namespace velmo::testing {
namespace {

constexpr const char* kFillerName = "filler";

}  // namespace

CrampedFolder::CrampedFolder(std::filesystem::path path, std::uint64_t tmpfsSize)
    : path_(std::move(path)) {
  std::filesystem::create_directories(path_);
  const std::string size = "size=" + std::to_string(tmpfsSize);
  mounted_ = geteuid() == 0 &&
             mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, size.c_str()) == 0;
}

CrampedFolder::~CrampedFolder() {
  if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::uint64_t CrampedFolder::Restrict(std::uint64_t roomOnTmpfs, std::uint64_t fileSizeLimit) {
  if (!mounted_) return fileSizeLimit;
  struct statvfs space {};
  EXPECT_EQ(statvfs(path_.c_str(), &space), 0);
  const std::uint64_t free = std::uint64_t{space.f_bavail} * space.f_frsize;
  if (free <= roomOnTmpfs) {
    ADD_FAILURE() << "the tmpfs is too small for the test";
    return 0;
  }
  const int filler = open(File(kFillerName).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  EXPECT_EQ(posix_fallocate(filler, 0, static_cast<off_t>(free - roomOnTmpfs)), 0);
  close(filler);
  return 0;
}

std::vector<std::string> CrampedFolder::FileNames() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    const std::string name = entry.path().filename().string();
    if (name != kFillerName) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velmo::testing

#endif
