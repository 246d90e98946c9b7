// The compressed-block codec. Input: one byte choosing the memLevel, then
// bytes taken both as a compressed block and as plain data.
//
// As a block: whatever inflates must deflate and inflate back to the same
// bytes. As plain data: deflating and inflating must give the bytes back,
// unless they inflate to more than the codec accepts for a block of that
// length, in which case the inflate must fail rather than give part of them.
// The one exception is deflate running out of its output space (twice the
// plain length, which only a few bytes of incompressible data fill): the
// block then holds exactly what fitted, and need not inflate.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "support/codec.h"

using namespace velmo;

namespace {

constexpr std::uint8_t kBlockHeader[] = {0x11, 0x72};
// The largest inflated size the codec accepts, per byte of block.
constexpr std::size_t kInflateFactor = 20;

bool HasBlockHeader(const ByteBuffer& block) {
  return block.size() >= 2 && block[0] == kBlockHeader[0] && block[1] == kBlockHeader[1];
}

void CheckRoundTrip(std::span<const std::uint8_t> plain, int memLevel) {
  ByteBuffer block;
  CompressData(plain, block, memLevel);
  fuzz::Check(HasBlockHeader(block), "a compressed block lacks its header");
  fuzz::Check(block.size() <= 2 * plain.size(), "a compressed block outgrew its space");
  if (block.size() == 2 * plain.size()) return;
  ByteBuffer inflated;
  const bool inflates = DecompressData(block, inflated);
  if (plain.size() > block.size() * kInflateFactor) {
    fuzz::Check(!inflates, "a block inflated past the codec's limit");
    return;
  }
  fuzz::Check(inflates, "a block just compressed does not inflate");
  fuzz::Check(inflated.size() == plain.size() &&
                  std::equal(inflated.begin(), inflated.end(), plain.begin()),
              "a block does not inflate to the bytes it was made from");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input({data, size});
  const int memLevel = 1 + input.Byte() % 9;
  const auto bytes = input.Rest();

  ByteBuffer inflated;
  if (DecompressData(bytes, inflated)) {
    fuzz::Check(!inflated.empty() && inflated.size() <= bytes.size() * kInflateFactor,
                "an inflated block has an impossible size");
    CheckRoundTrip(inflated, memLevel);
  } else {
    fuzz::Check(inflated.size() <= bytes.size() * kInflateFactor,
                "a failed inflate left more bytes than a block may hold");
  }
  if (!bytes.empty()) CheckRoundTrip(bytes, memLevel);
  return 0;
}
