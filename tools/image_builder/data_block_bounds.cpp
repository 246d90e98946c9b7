#include "image_builder/data_block_bounds.h"

#include "cartridge/address_function.h"
#include "support/buffer_words.h"

namespace velmo::image_builder {
namespace {

void WriteFunction(std::span<std::uint8_t> image, std::uint32_t at, std::uint32_t address) {
  const std::array<std::uint32_t, 3> words = AddressFunctionWords(address);
  for (std::size_t word = 0; word < words.size(); ++word) {
    StoreBigEndian32(&image[at + 4 * word], words[word]);
  }
}

}  // namespace

void WriteDataBlockBounds(std::span<std::uint8_t> image, const ImagePlaces& places) {
  if (places.region->dataBlock.fixedRoom) return;
  WriteFunction(image, kDataBlockStartFunction, places.tableBlockOffset);
  WriteFunction(image, kDataBlockEndFunction, places.tableBlockEnd);
}

}  // namespace velmo::image_builder
