#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmo::platform {

// What a run finds of the temporary files (TemporaryPathBeside's names) that
// earlier runs for the same file left beside it.
struct UnfinishedFiles {
  std::size_t removed = 0;         // files of processes that no longer run, now gone
  bool inUseByAnotherRun = false;  // a running process holds one: it is making the file now
};

// Removes the temporary files beside path whose process no longer runs. The
// files of running processes, this one's and every other file stay as they are.
UnfinishedFiles RemoveUnfinishedFiles(const std::string& path);

// The process id in name when name is a file name TemporaryPathBeside gives
// for a path whose own file name is pathName: pathName, ".", the process id,
// ".", a count and ".tmp". Nothing for any other name.
std::optional<std::uint64_t> TemporaryFileOwner(std::string_view name, std::string_view pathName);

}  // namespace velmo::platform
