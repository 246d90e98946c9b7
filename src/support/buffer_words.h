#pragma once

#include <cstdint>
#include <span>

namespace velmo {

// Big-endian 32-bit read from a byte buffer in memory (the inflated file
// table, a level's setup file). An offset whose four bytes do not all lie in
// the buffer logs an ERROR line and reads as 0.
std::uint32_t GetDWORDFromOffset(std::span<const std::uint8_t> buffer, std::uint32_t offset);

// Big-endian 32-bit write; an offset out of bounds logs an ERROR line and
// changes nothing.
void SetDWORDToffset(std::span<std::uint8_t> buffer, std::uint32_t offset, std::uint32_t value);

// Unchecked big-endian helpers for callers that have already checked bounds.
inline std::uint32_t LoadBigEndian32(const std::uint8_t* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}
inline void StoreBigEndian32(std::uint8_t* bytes, std::uint32_t value) {
  bytes[0] = static_cast<std::uint8_t>(value >> 24);
  bytes[1] = static_cast<std::uint8_t>(value >> 16);
  bytes[2] = static_cast<std::uint8_t>(value >> 8);
  bytes[3] = static_cast<std::uint8_t>(value);
}

}  // namespace velmo
