#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "support/byte_buffer.h"

// BPS numbers: seven bits a byte, low bits first, the last byte marked by its
// top bit, and each continuation worth one more than plain base 128 so that
// every number has exactly one encoding.
namespace velmo::bps {

void AppendNumber(ByteBuffer& out, std::uint64_t value);

// How many bytes AppendNumber writes for the value.
std::size_t NumberSize(std::uint64_t value);

enum class NumberRead { kRead, kCutShort, kTooLarge };

// Reads one number at `offset` and moves `offset` past it. Reads no byte at or
// beyond the end of `bytes`; a number beyond 64 bits is refused.
NumberRead ReadNumber(std::span<const std::uint8_t> bytes, std::size_t& offset,
                      std::uint64_t& value);

}  // namespace velmo::bps
