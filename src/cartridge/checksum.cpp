#include "cartridge/checksum.h"

#include <algorithm>
#include <array>
#include <bit>

#include "support/buffer_words.h"
#include "support/content_crc.h"

namespace velmo {
namespace {

// The boot code sits between the header and the checksummed data; its CRC-32
// tells which boot chip (CIC) the cartridge was made for.
constexpr std::size_t kBootCodeStart = 0x40;
constexpr std::size_t kBootCodeEnd = 0x1000;
constexpr std::size_t kChecksummedStart = 0x1000;
constexpr std::size_t kChecksummedEnd = 0x101000;
// The 6105 chip mixes in words of its own boot code, from this 256-byte table.
constexpr std::size_t kCic6105WordTable = 0x750;

enum class CicVariant { k6101, k6102, k6103, k6105, k6106 };

struct CicEntry {
  std::uint32_t bootCodeCrc;
  CicVariant variant;
  std::uint32_t seed;
};

constexpr std::array kCicEntries = {
    CicEntry{0x6170A4A1, CicVariant::k6101, 0xF8CA4DDC},
    CicEntry{0x90BB6CB5, CicVariant::k6102, 0xF8CA4DDC},
    CicEntry{0x0B050EE0, CicVariant::k6103, 0xA3886759},
    CicEntry{0x98BC2C86, CicVariant::k6105, 0xDF26F436},
    CicEntry{0xACC8580A, CicVariant::k6106, 0x1FEA617A},
};
// Boot code the table does not know is treated as made for the 6105 chip.
constexpr CicEntry kUnknownBootCode{0, CicVariant::k6105, 0xDF26F436};

CicEntry IdentifyCic(std::span<const std::uint8_t> image) {
  const std::uint32_t bootCodeCrc =
      ContentCrc32(image.subspan(kBootCodeStart, kBootCodeEnd - kBootCodeStart));
  const auto found = std::find_if(kCicEntries.begin(), kCicEntries.end(),
                                  [&](const CicEntry& e) { return e.bootCodeCrc == bootCodeCrc; });
  return found != kCicEntries.end() ? *found : kUnknownBootCode;
}

struct Accumulators {
  std::uint32_t t1, t2, t3, t4, t5, t6;
};

void AddWord(Accumulators& acc, std::uint32_t d, std::uint32_t mixWord, bool mixBootCode) {
  acc.t6 += d;
  acc.t4 += acc.t6 < d ? 1 : 0;  // the carry out of t6
  acc.t3 ^= d;
  // std::rotl is defined for a count of 0 (it gives d itself).
  const std::uint32_t r = std::rotl(d, static_cast<int>(d & 0x1F));
  acc.t5 += r;
  // The console's own check takes the rotate branch on a tie (t2 == d).
  if (acc.t2 >= d) {
    acc.t2 ^= r;
  } else {
    acc.t2 ^= acc.t6 ^ d;
  }
  acc.t1 += mixBootCode ? (mixWord ^ d) : (acc.t5 ^ d);
}

HeaderChecksum Combine(const Accumulators& acc, CicVariant variant) {
  switch (variant) {
    case CicVariant::k6103:
      return {(acc.t6 ^ acc.t4) + acc.t3, (acc.t5 ^ acc.t2) + acc.t1};
    case CicVariant::k6106:
      return {(acc.t6 * acc.t4) + acc.t3, (acc.t5 * acc.t2) + acc.t1};
    default:
      return {acc.t6 ^ acc.t4 ^ acc.t3, acc.t5 ^ acc.t2 ^ acc.t1};
  }
}

}  // namespace

HeaderChecksum ComputeHeaderChecksum(std::span<const std::uint8_t> image) {
  if (image.size() < kChecksummedImageSize) return {};

  const CicEntry cic = IdentifyCic(image);
  const bool mixBootCode = cic.variant == CicVariant::k6105;
  Accumulators acc{cic.seed, cic.seed, cic.seed, cic.seed, cic.seed, cic.seed};
  for (std::size_t i = kChecksummedStart; i < kChecksummedEnd; i += 4) {
    const std::uint32_t d = LoadBigEndian32(image.data() + i);
    const std::uint32_t mixWord =
        mixBootCode ? LoadBigEndian32(image.data() + kCic6105WordTable + (i & 0xFF)) : 0;
    AddWord(acc, d, mixWord, mixBootCode);
  }
  return Combine(acc, cic.variant);
}

}  // namespace velmo
