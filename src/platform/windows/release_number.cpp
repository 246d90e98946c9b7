#include "platform/release_number.h"

#include <vector>

#include "platform/windows/windows_api.h"

namespace velmo::platform {

std::uint16_t GetReleaseNumber(const std::string& executablePath) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(executablePath.c_str(), &ignored);
  if (size == 0) return 0;
  std::vector<char> versionInfo(size);
  if (!GetFileVersionInfoA(executablePath.c_str(), 0, size, versionInfo.data())) return 0;

  void* block = nullptr;
  UINT blockLength = 0;
  // "\" names the root block, a fixed-file-info record.
  if (!VerQueryValueA(versionInfo.data(), "\\", &block, &blockLength)) return 0;
  if (block == nullptr || blockLength < sizeof(VS_FIXEDFILEINFO)) return 0;
  const auto* fixedInfo = static_cast<const VS_FIXEDFILEINFO*>(block);
  // The fourth component of a.b.c.d.
  return LOWORD(fixedInfo->dwFileVersionLS);
}

}  // namespace velmo::platform
