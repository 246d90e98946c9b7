#include "support/file_bytes.h"

#include <zlib.h>

#include <fstream>
#include <vector>

#include "platform/file_length.h"

namespace velmo {
namespace {

bool ReadInto(std::ifstream& file, ByteBuffer& bytes) {
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file.gcount() == static_cast<std::streamsize>(bytes.size());
}

}  // namespace

std::optional<ByteBuffer> ReadFileBytes(const std::string& path, std::uint64_t mostBytes) {
  const std::optional<std::uint64_t> length = platform::FileLength(path);
  if (!length || *length > mostBytes) return std::nullopt;
  std::ifstream file(path, std::ios::in | std::ios::binary);
  if (!file) return std::nullopt;
  ByteBuffer bytes(static_cast<std::size_t>(*length));
  if (!ReadInto(file, bytes)) return std::nullopt;
  return bytes;
}

ByteBuffer ReadFileStart(const std::string& path, std::size_t count) {
  std::ifstream file(path, std::ios::in | std::ios::binary);
  if (!file) return {};
  ByteBuffer bytes(count);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

std::optional<std::uint32_t> FileCrc32(const std::string& path) {
  std::ifstream file(path, std::ios::in | std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<char> piece(std::size_t{1} << 16);
  uLong crc = crc32(0L, Z_NULL, 0);
  while (file.read(piece.data(), static_cast<std::streamsize>(piece.size())) || file.gcount() > 0) {
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(piece.data()),
                  static_cast<z_size_t>(file.gcount()));
    if (file.eof()) break;
  }
  if (file.bad()) return std::nullopt;
  return static_cast<std::uint32_t>(crc);
}

}  // namespace velmo
