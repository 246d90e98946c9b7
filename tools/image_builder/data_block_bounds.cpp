#include "image_builder/data_block_bounds.h"

#include "support/buffer_words.h"

namespace velmo::image_builder {
namespace {

constexpr std::uint32_t kLoadUpperV0 = 0x3C020000;
constexpr std::uint32_t kReturn = 0x03E00008;
constexpr std::uint32_t kAddImmediateV0 = 0x24420000;

void WriteFunction(std::span<std::uint8_t> image, std::uint32_t at, std::uint32_t address) {
  const std::array<std::uint32_t, 3> words = AddressFunction(address);
  for (std::size_t word = 0; word < words.size(); ++word) {
    StoreBigEndian32(&image[at + 4 * word], words[word]);
  }
}

}  // namespace

std::array<std::uint32_t, 3> AddressFunction(std::uint32_t address) {
  const std::uint32_t upper = ((address + 0x8000) >> 16) & 0xFFFF;
  return {kLoadUpperV0 | upper, kReturn, kAddImmediateV0 | (address & 0xFFFF)};
}

void WriteDataBlockBounds(std::span<std::uint8_t> image, const ImagePlaces& places) {
  if (places.region->dataBlock.fixedRoom) return;
  WriteFunction(image, kBlockStartFunction, places.tableBlockOffset);
  WriteFunction(image, kBlockEndFunction, places.tableBlockEnd);
}

}  // namespace velmo::image_builder
