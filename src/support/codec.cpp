#include "support/codec.h"

#include <zlib.h>

#include <memory>
#include <string>

#include "support/logger.h"

namespace velmo {
namespace {

constexpr std::uint8_t kBlockHeader[] = {0x11, 0x72};
constexpr std::size_t kHeaderSize = sizeof(kBlockHeader);

// The game's blocks record no inflated size; twenty times the compressed
// length is the largest inflated size a block may have.
constexpr std::size_t kInflateFactor = 20;

// A window of 8 bits suffices: the whole block is inflated in one call into
// one buffer, so back-references resolve against the output already written.
constexpr int kRawInflateWindowBits = -8;
constexpr int kRawDeflateWindowBits = -15;
constexpr int kDeflateLevel = 9;

std::string FailureLine(const char* operation, const z_stream& stream) {
  const char* message = stream.msg != nullptr ? stream.msg : "no message";
  return std::string(operation) + "(): Failed with message [" + message + "]";
}

}  // namespace

bool DecompressData(std::span<const std::uint8_t> block, ByteBuffer& output) {
  std::size_t blockLength = 0;
  return DecompressData(block, output, blockLength);
}

bool DecompressData(std::span<const std::uint8_t> block, ByteBuffer& output,
                    std::size_t& blockLength) {
  z_stream stream{};
  blockLength = 0;
  if (block.size() < kHeaderSize) {
    output.clear();
    LogWarn(FailureLine("DecompressData", stream));
    return false;
  }
  // The room for the largest size allowed is left uninitialised: a block's
  // space may run to megabytes, so zeroing twenty times that (and touching
  // every page of it) would cost more than the inflate itself. Only the bytes
  // the stream gives are copied out.
  const std::size_t room = block.size() * kInflateFactor;
  const auto inflated = std::unique_ptr<std::uint8_t[]>(new std::uint8_t[room]);

  // zlib's interface takes non-const pointers but never writes to the input.
  stream.next_in = const_cast<Bytef*>(block.data() + kHeaderSize);
  stream.avail_in = static_cast<uInt>(block.size() - kHeaderSize);
  stream.next_out = inflated.get();
  stream.avail_out = static_cast<uInt>(room);

  inflateInit2(&stream, kRawInflateWindowBits);
  const int result = inflate(&stream, Z_NO_FLUSH);
  if (inflateEnd(&stream) != Z_OK) {
    LogWarn("DecompressData(): inflateEnd didn't return expected value!");
  }
  output.assign(inflated.get(), inflated.get() + stream.total_out);
  blockLength = kHeaderSize + stream.total_in;

  // A stream that stops before its end (cut short, or larger than the buffer)
  // would give a half-inflated file, so only a complete stream succeeds.
  if (result == Z_STREAM_END && !output.empty()) return true;
  LogWarn(FailureLine("DecompressData", stream));
  return false;
}

bool CompressData(std::span<const std::uint8_t> plain, ByteBuffer& output, int memLevel) {
  if (plain.empty()) {
    LogError("CompressData(): No data to compress!");
    return false;
  }
  // As when inflating, the room is left uninitialised and only the stream
  // the deflate gives is copied out.
  const std::size_t room = plain.size() * 2;
  const auto block = std::unique_ptr<std::uint8_t[]>(new std::uint8_t[room]);
  block[0] = kBlockHeader[0];
  block[1] = kBlockHeader[1];

  z_stream stream{};
  stream.next_in = const_cast<Bytef*>(plain.data());
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = block.get() + kHeaderSize;
  stream.avail_out = static_cast<uInt>(room - kHeaderSize);

  deflateInit2(&stream, kDeflateLevel, Z_DEFLATED, kRawDeflateWindowBits, memLevel,
               Z_DEFAULT_STRATEGY);
  const int result = deflate(&stream, Z_FINISH);
  deflateEnd(&stream);

  output.assign(block.get(), block.get() + kHeaderSize + stream.total_out);
  if (result == Z_STREAM_END && stream.total_out != 0) return true;
  LogWarn(FailureLine("CompressData", stream));
  return false;
}

bool FitsInflateRoom(std::size_t blockSize, std::size_t plainSize) {
  return plainSize <= blockSize * kInflateFactor;
}

}  // namespace velmo
