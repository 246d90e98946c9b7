#include "cartridge/mapped_rom_file.h"

#include <algorithm>

#include "support/buffer_words.h"

namespace velmo {

MappedRomFile::~MappedRomFile() {
  Release();
}

void MappedRomFile::Release() {
  platform::CloseFile(fileHandle);
  platform::UnmapView(view);
  platform::CloseMapping(mappingHandle);
  fileHandle = {};
  view = {};
  viewStart = 0;
  mappingHandle = {};
  allocationGranularity = 0;
  fileSize = 0;
}

bool MappedRomFile::LoadFile(const std::string& path) {
  Release();
  if (Prepare(path)) return true;
  // A half-prepared object would still hold the file's lock.
  Release();
  return false;
}

bool MappedRomFile::Prepare(const std::string& path) {
  fileHandle = platform::OpenFileExclusive(path);
  if (!fileHandle.IsValid()) return false;
  std::uint64_t size = 0;
  if (!platform::QueryFileSize(fileHandle, size) || size == 0) return false;
  fileSize = size;
  mappingHandle = platform::CreateMapping(fileHandle, fileSize);
  if (!mappingHandle.IsValid()) return false;
  allocationGranularity = platform::GetAllocationGranularity();
  return allocationGranularity != 0;
}

std::uint8_t* MappedRomFile::MapAt(std::uint64_t offset) {
  if (!mappingHandle.IsValid()) return nullptr;
  // There is no byte at or past the end of the file to point at.
  if (offset >= fileSize) return nullptr;
  const std::uint64_t start = offset / allocationGranularity * allocationGranularity;
  // The steps of a run all map the whole image: mapping it again each time
  // would only fault every page they touch in once more.
  if (!view.IsMapped() || start != viewStart) {
    platform::UnmapView(view);
    view = platform::MapView(mappingHandle, start);
    viewStart = start;
  }
  if (!view.IsMapped()) return nullptr;
  return view.base + (offset - viewStart);
}

bool MappedRomFile::Flush() {
  return fileHandle.IsValid() && platform::FlushView(view) && platform::FlushFile(fileHandle);
}

bool MappedRomFile::RangeInsideFile(std::uint64_t offset, std::uint64_t length) const {
  return offset <= fileSize && length <= fileSize - offset;
}

std::uint8_t MappedRomFile::ReadByteAt(std::uint64_t offset) {
  if (!RangeInsideFile(offset, 1)) return 0;
  const std::uint8_t* bytes = MapAt(offset);
  return bytes != nullptr ? bytes[0] : 0;
}

std::uint32_t MappedRomFile::ReadDWORDAt(std::uint64_t offset) {
  if (!RangeInsideFile(offset, 4)) return 0;
  const std::uint8_t* bytes = MapAt(offset);
  return bytes != nullptr ? LoadBigEndian32(bytes) : 0;
}

std::string MappedRomFile::ReadStringAt(std::uint64_t offset) {
  const char* text = reinterpret_cast<const char*>(MapAt(offset));
  if (text == nullptr) return {};
  const std::size_t available = static_cast<std::size_t>(fileSize - offset);
  const char* end = std::find(text, text + available, '\0');
  return std::string(text, end);
}

void MappedRomFile::ReadBytesAt(std::uint64_t offset, std::uint64_t length, ByteBuffer& output) {
  output.clear();
  if (length == 0 || !RangeInsideFile(offset, length)) return;
  const std::uint8_t* bytes = MapAt(offset);
  if (bytes == nullptr) return;
  output.assign(bytes, bytes + length);
}

}  // namespace velmo
