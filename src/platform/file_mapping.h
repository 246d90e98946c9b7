#pragma once

#include <cstdint>
#include <string>

namespace velmo::platform {

// Memory-mapped, read-write access to one existing file, in the shape every
// platform offers it: an open file, a mapping object over its whole length,
// and views of that mapping that begin at a multiple of the allocation
// granularity. Changes made through a view reach the file itself.
//
// The handles are opaque values; only the platform implementation looks
// inside them. Each one must be released exactly once with its own Close or
// Unmap call.
//
// On Windows each operation is one call: CreateFileA with share mode 0,
// GetFileSizeEx, CreateFileMappingA, GetNativeSystemInfo's allocation
// granularity, MapViewOfFile, UnmapViewOfFile and CloseHandle. The names
// here differ from those (some of which are macros in the Windows headers).

// An open file. Invalid is -1 (an unopened descriptor, or INVALID_HANDLE_VALUE).
struct FileHandle {
  std::intptr_t value = -1;
  bool IsValid() const { return value != -1; }
};

// A mapping object over a whole file; null when there is none. It keeps what
// it needs of the file, so it stays usable after the file handle is closed.
struct MappingHandle {
  void* value = nullptr;
  bool IsValid() const { return value != nullptr; }
};

// One mapped view: its first byte and its length in bytes. Null base when no
// view is mapped.
struct MappedView {
  std::uint8_t* base = nullptr;
  std::uint64_t length = 0;
  bool IsMapped() const { return base != nullptr; }
};

// Opens an existing file for reading and writing, shared with no other opener
// (a file another opener holds cannot be opened, and while this handle is open
// no other opener gets it). Invalid handle on failure.
FileHandle OpenFileExclusive(const std::string& path);

// The file's size in bytes; false when it cannot be found.
bool QueryFileSize(FileHandle file, std::uint64_t& size);

// A read-write mapping object of exactly size bytes of the file; invalid
// handle on failure.
MappingHandle CreateMapping(FileHandle file, std::uint64_t size);

// The alignment a view's starting offset must have.
std::uint32_t GetAllocationGranularity();

// Maps a read-write view from offset (a multiple of the allocation
// granularity, below the mapping's size) to the end of the mapping. An
// unmapped view on failure.
MappedView MapView(MappingHandle mapping, std::uint64_t offset);

// Write the view's changed bytes, and then everything of the file that the
// system still holds in memory, to the disk, so that a power cut after a
// later move of the file cannot leave it half-written. False when the disk
// did not take them; an empty view or handle is nothing to write.
bool FlushView(MappedView view);
bool FlushFile(FileHandle file);

// Each of these accepts the empty value and then does nothing.
void UnmapView(MappedView view);
void CloseMapping(MappingHandle mapping);
void CloseFile(FileHandle file);

}  // namespace velmo::platform
