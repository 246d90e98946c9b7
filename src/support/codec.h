#pragma once

#include <cstdint>
#include <span>

#include "support/byte_buffer.h"

namespace velmo {

// The game's compressed blocks: the bytes 0x11 0x72 followed by one raw
// deflate stream, possibly followed by filler.

// Inflates a whole block (header included) into output, replacing its
// contents. False, with a WARN line, when the stream does not inflate
// completely to at least one byte.
bool DecompressData(std::span<const std::uint8_t> block, ByteBuffer& output);
// The same, also giving how many bytes of block the stream took, header
// included: whatever follows them is filler, not part of the block.
bool DecompressData(std::span<const std::uint8_t> block, ByteBuffer& output,
                    std::size_t& blockLength);

// Deflates plain data at level 9 with the given zlib memLevel into output as a
// block, header included. True when the stream is complete; otherwise a WARN
// or ERROR line is logged and output holds what deflate gave, if anything.
bool CompressData(std::span<const std::uint8_t> plain, ByteBuffer& output, int memLevel);

// Whether DecompressData can give plainSize bytes back from a block of
// blockSize bytes: it inflates into a room of a fixed multiple of the block.
bool FitsInflateRoom(std::size_t blockSize, std::size_t plainSize);

}  // namespace velmo
