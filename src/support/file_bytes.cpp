#include "support/file_bytes.h"

#include <fstream>

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

}  // namespace velmo
