#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "support/byte_buffer.h"

namespace velmo {

// The whole file at path, read only (never opened for writing); nothing when
// it cannot be read or holds more than mostBytes bytes, which are then not
// read at all.
std::optional<ByteBuffer> ReadFileBytes(const std::string& path, std::uint64_t mostBytes);

// The first bytes of the file at path, at most count of them; empty when it
// cannot be read.
ByteBuffer ReadFileStart(const std::string& path, std::size_t count);

// The CRC-32 (zlib's) of the whole file at path, read piece by piece so that
// no copy of it is held; nothing when it cannot be read to its end.
std::optional<std::uint32_t> FileCrc32(const std::string& path);

}  // namespace velmo
