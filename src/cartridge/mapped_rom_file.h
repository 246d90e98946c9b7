#pragma once

#include <cstdint>
#include <string>

#include "platform/file_mapping.h"
#include "support/byte_buffer.h"

namespace velmo {

// The image copy, opened for reading and writing with no sharing and mapped
// over its whole length. Owns the open file, its mapping object and the one
// current view; all three are released when the object dies, and changes
// made through the view are then in the file.
//
// Only one view exists at a time: every MapAt and every read replaces it,
// unless the view already starts where the new one would. A pointer from
// MapAt therefore stays valid only until the next MapAt or read on this
// object, or until the object dies. A caller that needs bytes from two
// places copies the first before mapping the second.
class MappedRomFile {
 public:
  MappedRomFile() = default;
  ~MappedRomFile();
  MappedRomFile(const MappedRomFile&) = delete;
  MappedRomFile& operator=(const MappedRomFile&) = delete;

  // Opens and prepares the file at path; no view is mapped yet. False when the
  // file is missing, held by another opener, not writable, empty, or cannot be
  // mapped. Anything already open in this object is released first, and a
  // failed load leaves the object closed.
  bool LoadFile(const std::string& path);

  // A writable pointer to the byte at offset, valid for FileSize() - offset
  // bytes. Null, with the current view left as it is, when no file is
  // prepared or offset is not inside the file; null after a failed mapping.
  std::uint8_t* MapAt(std::uint64_t offset);

  // Readers: each maps a view at its offset. A read whose bytes do not all lie
  // inside the file gives 0 or an empty result.
  std::uint8_t ReadByteAt(std::uint64_t offset);
  // Big-endian.
  std::uint32_t ReadDWORDAt(std::uint64_t offset);
  // The bytes from offset up to the first zero byte or the end of the file.
  std::string ReadStringAt(std::uint64_t offset);
  // Clears output, then fills it with exactly length bytes from offset.
  void ReadBytesAt(std::uint64_t offset, std::uint64_t length, ByteBuffer& output);

  // Writes every change made through the view to the disk; false when the
  // disk does not take them.
  bool Flush();
  // Unmaps the view and closes the file, which another opener may then take.
  void Close() { Release(); }

  std::uint64_t FileSize() const { return fileSize; }
  std::uint32_t AllocationGranularity() const { return allocationGranularity; }

 private:
  bool Prepare(const std::string& path);
  bool RangeInsideFile(std::uint64_t offset, std::uint64_t length) const;
  void Release();

  platform::FileHandle fileHandle;
  platform::MappingHandle mappingHandle;
  platform::MappedView view;
  std::uint64_t viewStart = 0;
  std::uint32_t allocationGranularity = 0;
  std::uint64_t fileSize = 0;
};

}  // namespace velmo
