#include "platform/release_number.h"

namespace velmo::platform {

// Without version resources the release number is compiled in from the
// project version.
std::uint16_t GetReleaseNumber(const std::string& /*executablePath*/) {
  return static_cast<std::uint16_t>(VELMO_RELEASE_NUMBER);
}

}  // namespace velmo::platform
