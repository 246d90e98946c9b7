#include "cartridge/byte_order.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmo {
namespace {

struct FirstWord {
  ByteOrder order;
  std::array<std::uint8_t, 4> bytes;
  std::string_view name;
};

constexpr std::array kFirstWords = {
    FirstWord{ByteOrder::kBigEndian, {0x80, 0x37, 0x12, 0x40}, "big-endian (.z64)"},
    FirstWord{ByteOrder::kByteSwapped, {0x37, 0x80, 0x40, 0x12}, "byte-swapped (.v64)"},
    FirstWord{ByteOrder::kLittleEndian, {0x40, 0x12, 0x37, 0x80}, "little-endian (.n64)"},
};

struct ArchiveMagic {
  std::string_view kind;
  std::string_view bytes;
};

constexpr std::array kArchiveMagics = {
    ArchiveMagic{"zip", "\x50\x4B\x03\x04"},
    ArchiveMagic{"7z", "\x37\x7A\xBC\xAF\x27\x1C"},
    ArchiveMagic{"gzip", "\x1F\x8B"},
    ArchiveMagic{"rar", "\x52\x61\x72\x21"},
};

bool StartsWith(std::span<const std::uint8_t> file, std::string_view bytes) {
  return file.size() >= bytes.size() &&
         std::equal(bytes.begin(), bytes.end(), file.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

}  // namespace

std::optional<ByteOrder> ByteOrderOf(std::span<const std::uint8_t> image) {
  if (image.size() < 4) return std::nullopt;
  for (const FirstWord& word : kFirstWords) {
    if (std::equal(word.bytes.begin(), word.bytes.end(), image.begin())) return word.order;
  }
  return std::nullopt;
}

std::string_view ByteOrderName(ByteOrder order) {
  return kFirstWords[static_cast<std::size_t>(order)].name;
}

void ConvertToBigEndian(std::span<std::uint8_t> image, ByteOrder order) {
  for (std::size_t word = 0; word + 4 <= image.size(); word += 4) {
    std::uint8_t* bytes = image.data() + word;
    if (order == ByteOrder::kByteSwapped) {
      std::swap(bytes[0], bytes[1]);
      std::swap(bytes[2], bytes[3]);
    } else if (order == ByteOrder::kLittleEndian) {
      std::reverse(bytes, bytes + 4);
    }
  }
}

std::optional<std::string_view> ArchiveKindOf(std::span<const std::uint8_t> file) {
  for (const ArchiveMagic& magic : kArchiveMagics) {
    if (StartsWith(file, magic.bytes)) return magic.kind;
  }
  return std::nullopt;
}

}  // namespace velmo
