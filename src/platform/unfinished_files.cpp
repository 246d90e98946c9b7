#include "platform/unfinished_files.h"

#include <limits>

namespace velmo::platform {
namespace {

// Takes the decimal number at the start of text, up to a "."; false when
// there is none or it does not fit.
bool TakeNumber(std::string_view& text, std::uint64_t& number) {
  const std::size_t dot = text.find('.');
  if (dot == 0 || dot == std::string_view::npos || dot > 19) return false;
  number = 0;
  for (const char c : text.substr(0, dot)) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
  }
  text.remove_prefix(dot + 1);
  return true;
}

}  // namespace

std::optional<std::uint64_t> TemporaryFileOwner(std::string_view name, std::string_view pathName) {
  if (pathName.empty() || !name.starts_with(pathName) || name.size() <= pathName.size() ||
      name[pathName.size()] != '.') {
    return std::nullopt;
  }
  std::string_view rest = name.substr(pathName.size() + 1);
  std::uint64_t processId = 0;
  std::uint64_t count = 0;
  if (!TakeNumber(rest, processId) || !TakeNumber(rest, count) || rest != "tmp") {
    return std::nullopt;
  }
  return processId;
}

}  // namespace velmo::platform
