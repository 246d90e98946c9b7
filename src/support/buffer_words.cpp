#include "support/buffer_words.h"

#include "support/logger.h"

namespace velmo {
namespace {

bool WordFits(std::size_t size, std::uint32_t offset) {
  return size >= 4 && offset <= size - 4;
}

}  // namespace

std::uint32_t GetDWORDFromOffset(std::span<const std::uint8_t> buffer, std::uint32_t offset) {
  if (!WordFits(buffer.size(), offset)) {
    LogError("GetDWORDFromOffset(): Supplied offset outside of supplied data");
    return 0;
  }
  return LoadBigEndian32(buffer.data() + offset);
}

void SetDWORDToffset(std::span<std::uint8_t> buffer, std::uint32_t offset, std::uint32_t value) {
  if (!WordFits(buffer.size(), offset)) {
    LogError("SetDWORDToffset(): Supplied offset outside of supplied data");
    return;
  }
  StoreBigEndian32(buffer.data() + offset, value);
}

}  // namespace velmo
