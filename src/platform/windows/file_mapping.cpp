#include "platform/file_mapping.h"

#include <limits>

#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

// The mapping object and the size it was created with: every view runs from
// its offset to this size, and the view's length is reported from it.
struct WindowsMapping {
  HANDLE mapping;
  std::uint64_t size;
};

HANDLE HandleOf(FileHandle file) {
  return reinterpret_cast<HANDLE>(file.value);
}

}  // namespace

FileHandle OpenFileExclusive(const std::string& path) {
  // Share mode 0: no other opener, this process included, gets the file while
  // the handle is open, and a file someone else holds is refused.
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  return FileHandle{reinterpret_cast<std::intptr_t>(file)};
}

bool QueryFileSize(FileHandle file, std::uint64_t& size) {
  if (!file.IsValid()) return false;
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(HandleOf(file), &fileSize) || fileSize.QuadPart < 0) return false;
  size = static_cast<std::uint64_t>(fileSize.QuadPart);
  return true;
}

MappingHandle CreateMapping(FileHandle file, std::uint64_t size) {
  if (!file.IsValid() || size == 0) return {};
  const HANDLE mapping =
      CreateFileMappingA(HandleOf(file), nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                         static_cast<DWORD>(size & 0xFFFFFFFFu), nullptr);
  if (mapping == nullptr) return {};
  return MappingHandle{new WindowsMapping{mapping, size}};
}

std::uint32_t GetAllocationGranularity() {
  SYSTEM_INFO information{};
  GetNativeSystemInfo(&information);
  return information.dwAllocationGranularity;
}

MappedView MapView(MappingHandle mapping, std::uint64_t offset) {
  if (!mapping.IsValid()) return {};
  const auto& record = *static_cast<const WindowsMapping*>(mapping.value);
  if (offset >= record.size) return {};
  const std::uint64_t length = record.size - offset;
  if (length > std::numeric_limits<SIZE_T>::max()) return {};
  // Length 0: the view reaches to the end of the mapping.
  void* base = MapViewOfFile(record.mapping, FILE_MAP_ALL_ACCESS, static_cast<DWORD>(offset >> 32),
                             static_cast<DWORD>(offset & 0xFFFFFFFFu), 0);
  if (base == nullptr) return {};
  return MappedView{static_cast<std::uint8_t*>(base), length};
}

bool FlushView(MappedView view) {
  if (!view.IsMapped()) return true;
  // Length 0: the whole view.
  return FlushViewOfFile(view.base, 0) != 0;
}

bool FlushFile(FileHandle file) {
  if (!file.IsValid()) return true;
  return FlushFileBuffers(HandleOf(file)) != 0;
}

void UnmapView(MappedView view) {
  if (!view.IsMapped()) return;
  UnmapViewOfFile(view.base);
}

void CloseMapping(MappingHandle mapping) {
  if (!mapping.IsValid()) return;
  auto* record = static_cast<WindowsMapping*>(mapping.value);
  CloseHandle(record->mapping);
  delete record;
}

void CloseFile(FileHandle file) {
  if (!file.IsValid()) return;
  CloseHandle(HandleOf(file));
}

}  // namespace velmo::platform
